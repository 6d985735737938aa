// url_query.h - the query part of wizard URLs: decoding submitted fields and
// the percent encoding of values placed in links and stored lists.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

// The fields of a submitted form or a link's query, in the order given.
using FormFields = std::vector<std::pair<std::string, std::string>>;

// The fields of the part after the first "?": pieces split at "&", each
// name "=" value. Names are taken as they are; in values "+" is a space and
// "%" with two hexadecimal digits is that byte, except that a decoded zero
// byte is kept as "%". No "?" gives no fields.
FormFields decodeQuery(std::string_view url);

// The value of the first field named exactly `name`; null when none.
const std::string* findField(const FormFields& fields, std::string_view name);

// The URL up to its first "?".
std::string withoutQuery(std::string_view url);

// Keeps A-Z, a-z, 0-9 and ". - _ * @"; every other byte becomes "%" and two
// upper-case hexadecimal digits. Used for every value put into a link and
// for the items of stored lists.
std::string percentEncode(std::string_view text);
// "%" with two hexadecimal digits back to the byte; everything else as is.
std::string percentDecode(std::string_view text);

}  // namespace tessaly
