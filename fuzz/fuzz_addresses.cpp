// fuzz_addresses.cpp - address lists and their renderings.
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "message/addresses.h"

namespace tessaly::fuzz {

void fuzzAddresses(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    std::string full, shortForm, firstName, firstAddress;
    const int count = formatAddressList(std::string_view(bytes.data(), bytes.size()), &full,
                                        &shortForm, &firstName, &firstAddress);
    if (count < 0) propertyFailed("negative entry count");
    // Message bytes reach the page only escaped.
    for (const std::string* html : {&full, &shortForm}) {
        if (html->find('<') != std::string::npos) {
            // Only the program's own links may open a tag.
            for (size_t at = html->find('<'); at != std::string::npos; at = html->find('<', at + 1)) {
                if (html->compare(at, 4, "</a>") == 0) continue;
                if (html->compare(at, 9, "<a href=\"") != 0) {
                    propertyFailed("unescaped < in an address list");
                }
                // The link target cannot end its attribute early.
                const size_t close = html->find('"', at + 9);
                if (close == std::string::npos || html->compare(close, 2, "\">") != 0) {
                    propertyFailed("a link target ends its attribute");
                }
            }
        }
    }
}

}  // namespace tessaly::fuzz
