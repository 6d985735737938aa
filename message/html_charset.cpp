// html_charset.cpp - finding the charset label in an HTML document's
// first meta elements.
#include "message/html_charset.h"

#include <algorithm>

#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr size_t kPrescanBytes = 1024;

bool isLabelEnd(char c) {
    return c == '"' || c == '\'' || c == ';' || c == '>' || c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
           c == '/';
}

// The label after "charset" at `at` in `tag`: spaces, "=", an optional
// quote, then the label. `cut`: the tag runs on past the bytes read.
std::string labelAfter(std::string_view tag, size_t at, bool cut) {
    at += 7;
    while (at < tag.size() && (tag[at] == ' ' || tag[at] == '\t' || tag[at] == '\r' || tag[at] == '\n')) ++at;
    if (at >= tag.size() || tag[at] != '=') return {};
    ++at;
    while (at < tag.size() && (tag[at] == ' ' || tag[at] == '\t' || tag[at] == '"' || tag[at] == '\'')) ++at;
    size_t end = at;
    while (end < tag.size() && !isLabelEnd(tag[end])) ++end;
    // A label the end of the prescan cut off is no label.
    if (end == tag.size() && cut) return {};
    return std::string(tag.substr(at, end - at));
}

}  // namespace

std::string declaredHtmlCharset(std::string_view html) {
    const std::string head = asciiLower(std::string(html.substr(0, std::min(html.size(), kPrescanBytes))));
    for (size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 5)) {
        const size_t close = head.find('>', at);
        const bool cut = close == std::string::npos && html.size() > head.size();
        const std::string_view tag = std::string_view(head).substr(at, close == std::string::npos ? close : close - at);
        for (size_t key = tag.find("charset"); key != std::string_view::npos; key = tag.find("charset", key + 7)) {
            std::string label = labelAfter(tag, key, cut);
            if (!label.empty()) return label;
        }
    }
    return {};
}

}  // namespace tessaly
