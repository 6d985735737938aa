// addresses.h - reading From, To and Cc address lists and rendering them as
// HTML, short HTML, a file-name-safe first name and the first usable address.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// One entry of a parsed list; either part may be empty, and the address is
// not necessarily valid.
struct TEmailAddr {
    std::string name;
    std::string address;
};

// Reads `text` (one decoded header value; a NUL byte ends it) tolerantly into
// entries and renders them:
//   fullHtml     every entry, joined by ", "; names and addresses escaped,
//                linked with mailto when the address holds an "@"
//   shortHtml    the same, cut after the entry at which the plain form
//                ("name" <address>, ...) passes 24 characters, then ", ..."
//                when more entries follow
//   firstName    safeFileText of the first entry's name, else its address
//   firstAddress the first address holding an "@"
// Each output may be null; every present one is assigned (possibly empty).
// Returns the number of entries.
int formatAddressList(std::string_view text, std::string* fullHtml, std::string* shortHtml,
                      std::string* firstName, std::string* firstAddress);

}  // namespace tessaly
