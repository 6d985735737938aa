// css_filter.cpp - the CSS of mail reduced to what cannot load or run.
#include "message/css_filter.h"

#include <array>

#include "platform/ascii.h"

namespace tessaly {

namespace {

// Every way CSS has to name a resource or run code, in lower case, as it
// reads once spaces and control characters are gone: the functions that
// take a URL or a string used as one, the imports, and the old script hooks.
constexpr std::array<std::string_view, 10> kForbidden = {
    "url(", "src(", "image", "@import", "expression", "behavior", "binding", "javascript", "vbscript", "@font-face",
};

// Comments replaced by a space (the tokenizer separates there too); an
// unterminated comment runs to the end. "<!--" and "-->" go as CSS ignores them.
std::string withoutComments(std::string_view css) {
    std::string out;
    out.reserve(css.size());
    for (size_t i = 0; i < css.size();) {
        if (css.compare(i, 2, "/*") == 0) {
            const size_t close = css.find("*/", i + 2);
            if (close == std::string_view::npos) break;
            out += ' ';
            i = close + 2;
        } else if (css.compare(i, 4, "<!--") == 0) {
            i += 4;
        } else if (css.compare(i, 3, "-->") == 0) {
            i += 3;
        } else {
            out += css[i++];
        }
    }
    return out;
}

bool isForbidden(std::string_view segment) {
    std::string folded;
    for (const char c : segment) {
        if (static_cast<unsigned char>(c) > ' ') folded += asciiLower(c);
    }
    for (const std::string_view word : kForbidden) {
        if (folded.find(word) != std::string::npos) return true;
    }
    return false;
}

bool isDelimiter(char c) { return c == '{' || c == '}' || c == ';'; }

}  // namespace

std::string safeCss(std::string_view css) {
    if (css.find('\\') != std::string_view::npos) return {};
    const std::string text = withoutComments(css);
    if (text.find('<') != std::string::npos) return {};
    // Segments between "{", "}" and ";" are selectors, declarations and
    // at-rule preludes; one that names a resource goes, its delimiter stays,
    // so that no forbidden word can form across what is kept.
    std::string out;
    bool anything = false;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isDelimiter(text[i])) continue;
        const std::string_view segment = std::string_view(text).substr(start, i - start);
        if (!isForbidden(segment)) {
            out += segment;
            for (const char c : segment) anything = anything || static_cast<unsigned char>(c) > ' ';
        }
        if (i < text.size()) out += text[i];
        start = i + 1;
    }
    return anything ? out : std::string();
}

}  // namespace tessaly
