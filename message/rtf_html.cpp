// rtf_html.cpp - HTML encapsulated in RTF, as Outlook stores HTML mail: the
// tests for it and the extraction of the HTML, in UTF-8.
#include <algorithm>
#include <string>

#include "message/body_html.h"
#include "message/charsets.h"
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

// Whether a "\'xx" escape starts at `pos`; its byte goes to `byte`.
bool hexEscape(std::string_view text, size_t pos, char& byte) {
    if (!at(text, pos, "\\'") || pos + 3 >= text.size()) return false;
    const int high = hexDigitValue(text[pos + 2]);
    const int low = hexDigitValue(text[pos + 3]);
    if (high < 0 || low < 0) return false;
    byte = static_cast<char>(high * 16 + low);
    return true;
}

// Whether a "\uN" escape (a UTF-16 unit, negative above 32767) starts at
// `pos`: "\u" and then a digit or a minus and a digit, so "\ul" and "\uc1"
// are not one.
bool unicodeEscape(std::string_view text, size_t pos) {
    if (!at(text, pos, "\\u")) return false;
    size_t digit = pos + 2;
    if (digit < text.size() && text[digit] == '-') ++digit;
    return digit < text.size() && isDigit(text[digit]);
}

// The code page "\ansicpgN" names in the RTF header (before `htmlStart`):
// its charset label, windows-1252 (the RTF default) when there is none.
std::string headerCharset(std::string_view header) {
    const size_t word = header.find("\\ansicpg");
    if (word == npos) return "windows-1252";
    size_t pos = word + 8;
    const std::string label = codePageCharset(static_cast<uint32_t>(readNumber(header, pos)));
    return label.empty() ? "windows-1252" : label;
}

// Text that comes as escapes: bytes in the document's code page ("\'xx"
// and stray 8-bit bytes) and UTF-16 units ("\uN"), held until the run of
// one kind ends so that characters of several bytes or units convert whole.
class EscapedText {
public:
    EscapedText(Charsets& charsets, std::string label) : charsets_(charsets), label_(std::move(label)) {}

    void addByte(char byte, TextOutput& out) {
        if (!units_.empty()) flush(out);
        bytes_ += byte;
    }
    void addUnit(long value, TextOutput& out) {
        if (!bytes_.empty()) flush(out);
        const auto unit = static_cast<uint16_t>(value < 0 ? value + 65536 : value);
        units_ += static_cast<char>(unit & 0xFF);
        units_ += static_cast<char>(unit >> 8);
    }
    void flush(TextOutput& out) {
        if (!bytes_.empty()) out.put(charsets_.toUtf8(bytes_, label_, false));
        if (!units_.empty()) out.put(utf16leToUtf8(units_));
        bytes_.clear();
        units_.clear();
    }

private:
    Charsets& charsets_;
    const std::string label_;
    std::string bytes_;
    std::string units_;
};

// Past the `count` characters a reader without Unicode shows in place of a
// "\uN" escape: each a "\'xx" escape or one plain character.
size_t skipFallback(std::string_view text, size_t pos, long count) {
    char byte = 0;
    for (long skipped = 0; skipped < count && pos < text.size();) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') {
            ++pos;
        } else if (hexEscape(text, pos, byte)) {
            pos += 4;
            ++skipped;
        } else if (c == '\\' || c == '{' || c == '}') {
            break;
        } else {
            ++pos;
            ++skipped;
        }
    }
    return pos;
}

// The HTML lives in "{\*\htmltagN ...}" groups and in plain text between
// them; "\htmlrtf ... \htmlrtf0" marks RTF-only text. An "{\*\mhtmltagN ...}"
// group carries a rewritten tag (a "cid:" link, say) that replaces the
// htmltag group of the same number right after it. Escaped characters are
// written in UTF-8: a "\'xx" byte (at most 3 bytes of UTF-8 for its 4) or a
// stray 8-bit byte (at most 3 for 1), a "\uN" unit (at most 3 for its 3 or
// more, a pair 4 for 14 or more).
void rtfHtmlLoop(std::string_view in, TextOutput& out, EscapedText& escaped) {
    const size_t n = in.size();
    size_t i = htmlStart(in);
    if (i == npos) return;
    long rewrittenTag = -1;
    long fallbackCount = 1;
    char byte = 0;
    while (i < n) {
        const char c = in[i];
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            escaped.addByte(c, out);
            ++i;
            continue;
        }
        if (hexEscape(in, i, byte)) {
            escaped.addByte(byte, out);
            i += 4;
            continue;
        }
        if (unicodeEscape(in, i)) {
            size_t j = i + 2;
            const bool negative = in[j] == '-';
            if (negative) ++j;
            const long value = readNumber(in, j);
            escaped.addUnit(negative ? -value : value, out);
            skipSpace(in, j);
            i = skipFallback(in, j, fallbackCount);
            continue;
        }
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        escaped.flush(out);
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
        } else if (at(in, i, "\\uc") && i + 3 < n && isDigit(in[i + 3])) {
            j += 3;
            fallbackCount = std::min(readNumber(in, j), 8L);
            skipSpace(in, j);
        } else if (at(in, i, "\\par") || at(in, i, "\\tab")) {
            out.put(in[i + 1] == 'p' ? "\r\n" : "   ");
            j += 4;
            skipSpace(in, j);
        } else if (at(in, i, "\\li") || at(in, i, "\\fi-")) {
            j += in[i + 1] == 'l' ? 3 : 4;
            skipDigits(in, j);
            skipSpace(in, j);
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
    escaped.flush(out);
}

// Written before HTML that holds characters beyond ASCII: a browser reads
// the file as UTF-8 by it, whatever charset its own meta line names.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

bool isRtfHtml(const char* start, const char* end) { return htmlStart(viewOf(start, end)) != npos; }

bool isRtfText(const char* start, const char* end) {
    const std::string_view rtf = viewOf(start, end);
    const size_t from = rtf.find("\\from");
    return from != npos && at(rtf, from, "\\fromtext");
}

void rtfToHtml(DecodeContext& context, const char*& start, const char*& end) {
    const std::string_view rtf = viewOf(start, end);
    const size_t html = htmlStart(rtf);
    EscapedText escaped(context.charsets(), headerCharset(rtf.substr(0, html == npos ? 0 : html)));
    convertInto(context.bufferA(), start, end, 3, kUtf8Mark.size(), [&](std::string_view in, TextOutput& out) {
        out.put(kUtf8Mark);
        rtfHtmlLoop(in, out, escaped);
    });
    if (isAscii(viewOf(start + kUtf8Mark.size(), end))) start += kUtf8Mark.size();
}

}  // namespace tessaly
