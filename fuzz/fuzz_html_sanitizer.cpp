// fuzz_html_sanitizer.cpp - the safe copy of any HTML, checked as a browser
// would parse it.
#include <string>

#include "fuzz/targets.h"
#include "message/charsets.h"
#include "message/html_sanitizer.h"
#include "support/html_safety.h"

namespace tessaly::fuzz {

// Input: the HTML body. Every reference but "cid:none" names a saved file
// of that very name, so that the input also chooses the file names.
void fuzzHtmlSanitizer(const uint8_t* data, size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    const std::string out = sanitizeHtml(html, [](std::string_view id) -> std::optional<std::string> {
        if (id == "cid:none") return std::nullopt;
        return std::string(id.substr(id.compare(0, 4, "cid:") == 0 ? 4 : 0));
    });
    if (!isValidUtf8(out)) propertyFailed("the safe copy is not UTF-8");
    if (!test::activeParts(out).empty()) propertyFailed("the safe copy holds something active");
}

}  // namespace tessaly::fuzz
