// html_urls.cpp - URL normalizing and scheme reading for the HTML sanitizer.
#include "message/html_urls.h"

#include <array>

#include "platform/ascii.h"

namespace tessaly {

std::string normalizedUrl(std::string_view value) {
    // The URL standard strips C0 controls and spaces around the URL and
    // removes ASCII tab and newline everywhere.
    size_t first = 0;
    size_t last = value.size();
    while (first < last && static_cast<unsigned char>(value[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(value[last - 1]) <= ' ') --last;
    std::string url;
    url.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        if (value[i] != '\t' && value[i] != '\n' && value[i] != '\r') url += value[i];
    }
    return url;
}

std::string urlScheme(std::string_view url) {
    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
    std::string scheme;
    for (const char c : url) {
        const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (c == ':') return scheme;
        if (!alpha && (scheme.empty() || !other)) return {};
        scheme += asciiLower(c);
    }
    return {};
}

bool isInlineImageData(std::string_view url) {
    static constexpr std::array<std::string_view, 4> kTypes = {"data:image/png", "data:image/gif", "data:image/jpeg",
                                                               "data:image/webp"};
    for (const std::string_view type : kTypes) {
        if (startsWithIgnoringCase(url, type) && url.size() > type.size() &&
            (url[type.size()] == ';' || url[type.size()] == ',')) {
            return true;
        }
    }
    return false;
}

}  // namespace tessaly
