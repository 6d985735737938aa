// fuzz_references.cpp - content-id references in a saved HTML body.
#include <string>
#include <vector>

#include "archive/attachments.h"
#include "fuzz/targets.h"

namespace tessaly::fuzz {

// Input: a flags byte, then up to four lines "content id" TAB "file name",
// a line "--", and the HTML body.
void fuzzReferences(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const bool allCid = data[0] & 1;
    const std::string all(reinterpret_cast<const char*>(data) + 1, size - 1);
    ContentIdMap ids;
    size_t at = 0;
    for (int n = 0; n < 4; ++n) {
        const size_t lf = all.find('\n', at);
        if (lf == std::string::npos) break;
        const std::string line = all.substr(at, lf - at);
        at = lf + 1;
        if (line == "--") break;
        const size_t tab = line.find('\t');
        ids.emplace(line.substr(0, tab), tab == std::string::npos ? "x.gif" : line.substr(tab + 1));
    }
    std::vector<char> body(all.begin() + static_cast<std::ptrdiff_t>(at), all.end());
    (void)rewriteReferences(body.data(), body.data() + body.size(), ids, allCid);
}

}  // namespace tessaly::fuzz
