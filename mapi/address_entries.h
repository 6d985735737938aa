// address_entries.h - address lists that come as (name, address) entries
// rather than header text, rendered in the forms of message headers.
#pragma once

#include <string>
#include <vector>

#include "message/addresses.h"

namespace tessaly {

struct AddressForms {
    std::string plain;         // "name" <address>, joined by ", "
    std::string fullHtml;      // every entry, names and addresses escaped,
                               // linked with mailto when the address holds "@"
    std::string shortHtml;     // cut after the entry at which the plain form
                               // passes 24 characters, then ", ..."
    std::string firstName;     // file-name-safe name (else address) of entry 1
    std::string firstAddress;  // the first address holding an "@"
    int count = 0;
};

// Renders the entries exactly as formatAddressList renders the entries it
// reads from header text.
AddressForms renderAddressEntries(const std::vector<TEmailAddr>& entries);

}  // namespace tessaly
