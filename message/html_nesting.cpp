// html_nesting.cpp - the depth estimate that keeps the HTML parser's
// work linear.
#include "message/html_nesting.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr std::string_view kVoid[] = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                                      "meta", "param", "source", "track", "wbr", "keygen", "isindex"};
constexpr std::string_view kSelfClosing[] = {"p", "li", "dt", "dd", "tr", "td", "th", "option"};
// Elements whose content is text up to their end tag.
constexpr std::string_view kRawText[] = {"script", "style", "textarea", "title", "xmp", "iframe",
                                         "noembed", "noframes", "noscript"};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The offset of the ">" that ends the tag whose attributes start at
// `pos`, values quoted after "=" skipped; npos when the text ends first.
size_t tagEnd(std::string_view html, size_t pos) {
    char quote = 0;
    bool value = false;  // after "=", before the value starts
    for (; pos < html.size(); ++pos) {
        const char c = html[pos];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (value && (c == '"' || c == '\'')) {
            quote = c;
            value = false;
        } else if (c == '>') {
            return pos;
        } else if (c == '=') {
            value = true;
        } else if (static_cast<unsigned char>(c) > ' ') {
            value = false;
        }
    }
    return std::string_view::npos;
}

// The offset of "</name" (any case) from `pos`, npos when there is none.
size_t endTagOf(std::string_view html, std::string_view name, size_t pos) {
    for (size_t i = html.find("</", pos); i != std::string_view::npos; i = html.find("</", i + 2)) {
        if (startsWithIgnoringCase(html.substr(i + 2), name)) return i;
    }
    return std::string_view::npos;
}

template <typename List>
bool contains(const List& list, std::string_view name) {
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

}  // namespace

size_t nestingLimitOffset(std::string_view html, size_t limit) {
    std::vector<std::string> open;
    for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
        if (html.compare(i, 4, "<!--") == 0 || html.compare(i, 9, "<![CDATA[") == 0) {
            const size_t close = html.find(html[i + 2] == '-' ? "-->" : "]]>", i + 2);
            if (close == std::string_view::npos) break;
            i = close;
            continue;
        }
        const bool end = i + 1 < html.size() && html[i + 1] == '/';
        size_t n = i + (end ? 2 : 1);
        if (n >= html.size() || !isLetter(html[n])) continue;
        std::string name;
        for (; n < html.size() && html[n] != '>' && html[n] != '/' && static_cast<unsigned char>(html[n]) > ' '; ++n) {
            name += asciiLower(html[n]);
        }
        const size_t close = tagEnd(html, n);
        if (close == std::string_view::npos) break;
        const size_t tag = i;
        i = close;
        if (end) {
            const auto match = std::find(open.rbegin(), open.rend(), name);
            if (match != open.rend()) open.erase(std::next(match).base(), open.end());
            continue;
        }
        if (contains(kVoid, name)) continue;
        if (contains(kRawText, name)) {
            i = endTagOf(html, name, i);
            if (i == std::string_view::npos) break;
            --i;  // the loop finds the end tag's "<" again
            continue;
        }
        if (contains(kSelfClosing, name) && !open.empty() && open.back() == name) continue;
        open.push_back(std::move(name));
        if (open.size() > limit) return tag;
    }
    return html.size();
}

}  // namespace tessaly
