// rtf_html.cpp - HTML encapsulated in RTF, as Outlook stores HTML mail: the
// tests for it and the extraction of the HTML.
#include "message/body_html.h"
#include "message/convert_core.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr std::string_view kHtmlTagGroup = "{\\*\\htmltag";
constexpr std::string_view kFromHtml = "\\fromhtml";

std::string_view viewOf(const char* start, const char* end) {
    if (!start || !end || end <= start) return {};
    return std::string_view(start, static_cast<size_t>(end - start));
}

// The first "{\*\htmltag" when "\fromhtml" comes before it, else npos.
size_t htmlStart(std::string_view rtf) {
    const size_t tag = rtf.find(kHtmlTagGroup);
    if (tag == npos || rtf.substr(0, tag).find(kFromHtml) == npos) return npos;
    return tag;
}

bool at(std::string_view text, size_t pos, std::string_view word) {
    return text.substr(pos, word.size()) == word;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at `pos` (0 when there are no digits), capped so that
// a long run of digits cannot overflow; `pos` moves past the digits.
long readNumber(std::string_view text, size_t& pos) {
    long value = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        if (value < 100'000'000) value = value * 10 + (text[pos] - '0');
    }
    return value;
}

void skipSpace(std::string_view text, size_t& pos) {
    if (pos < text.size() && text[pos] == ' ') ++pos;
}

void skipDigits(std::string_view text, size_t& pos) {
    while (pos < text.size() && isDigit(text[pos])) ++pos;
}

// Past the next `what` at or after `from` (the end when there is none).
size_t after(std::string_view text, size_t from, std::string_view what) {
    const size_t found = text.find(what, from);
    return found == npos ? text.size() : found + what.size();
}

// The HTML lives in "{\*\htmltagN ...}" groups and in plain text between
// them; "\htmlrtf ... \htmlrtf0" marks RTF-only text. An "{\*\mhtmltagN ...}"
// group carries a rewritten tag (a "cid:" link, say) that replaces the
// htmltag group of the same number right after it. The output is never
// longer than the input.
void rtfHtmlLoop(std::string_view in, TextOutput& out) {
    const size_t n = in.size();
    size_t i = htmlStart(in);
    if (i == npos) return;
    long rewrittenTag = -1;
    while (i < n) {
        const char c = in[i];
        if (c == '{' || c == '}' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            out.put(c);
            ++i;
            continue;
        }
        size_t j = i;
        if (at(in, i, "\\*\\htmltag")) {
            j += 10;
            const long number = readNumber(in, j);
            skipSpace(in, j);
            if (number == rewrittenTag) j = after(in, j, "}");
            rewrittenTag = -1;
        } else if (at(in, i, "\\*\\mhtmltag")) {
            j += 11;
            rewrittenTag = readNumber(in, j);
            skipSpace(in, j);
        } else if (at(in, i, "\\par") || at(in, i, "\\tab")) {
            out.put(in[i + 1] == 'p' ? "\r\n" : "   ");
            j += 4;
            skipSpace(in, j);
        } else if (at(in, i, "\\li") || at(in, i, "\\fi-")) {
            j += in[i + 1] == 'l' ? 3 : 4;
            skipDigits(in, j);
            skipSpace(in, j);
        } else if (at(in, i, "\\'") && i + 3 < n && hexDigitValue(in[i + 2]) >= 0 &&
                   hexDigitValue(in[i + 3]) >= 0) {
            out.put(static_cast<char>(hexDigitValue(in[i + 2]) * 16 + hexDigitValue(in[i + 3])));
            j += 4;
        } else if (at(in, i, "\\pntext")) {
            j = in.find('}', i);
            if (j == npos) j = n;
        } else if (at(in, i, "\\htmlrtf0")) {
            // An end of RTF-only text with no start: dropped alone, so that
            // it does not swallow the HTML up to the next one.
            j += 9;
            skipSpace(in, j);
        } else if (at(in, i, "\\htmlrtf")) {
            j = after(in, i + 8, "\\htmlrtf0");
            skipSpace(in, j);
        } else if (at(in, i, "\\{") || at(in, i, "\\}") || at(in, i, "\\\\")) {
            out.put(in[i + 1]);
            j += 2;
        } else {
            out.put(c);
            j += 1;
        }
        i = j;
    }
}

}  // namespace

bool isRtfHtml(const char* start, const char* end) { return htmlStart(viewOf(start, end)) != npos; }

bool isRtfText(const char* start, const char* end) {
    const std::string_view rtf = viewOf(start, end);
    const size_t from = rtf.find("\\from");
    return from != npos && at(rtf, from, "\\fromtext");
}

void rtfToHtml(DecodeContext& context, const char*& start, const char*& end) {
    convertInto(context.bufferA(), start, end, 1, 0, rtfHtmlLoop);
}

}  // namespace tessaly
