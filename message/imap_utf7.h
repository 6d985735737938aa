// imap_utf7.h - IMAP mailbox names in modified UTF-7 (RFC 3501 5.1.3) as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// `name` with every modified UTF-7 sequence decoded: "&" base64 (with ","
// in place of "/") of UTF-16 "-" becomes its characters, "&-" becomes "&".
// A sequence that does not decode (no closing "-", a byte outside the
// alphabet, bits left over, a lone surrogate, U+0000) stays as it is, and
// every other byte is copied unchanged, so names that were never encoded
// ("Tom & Jerry", "R&D") come out as they went in.
std::string decodeImapUtf7(std::string_view name);

}  // namespace tessaly
