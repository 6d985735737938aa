// charsets.cpp - UTF-8 checks, windows-1252, charset labels, and the iconv
// and uchardet behind Charsets.
#include "message/charsets.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <cerrno>
#include <cstring>

#include "platform/ascii.h"

namespace tessaly {

namespace {


constexpr uint32_t kReplacement = 0xFFFD;

struct CodePage {
    uint32_t number;
    std::string_view label;
};

// Code pages whose iconv name is not "CP" and the number.
constexpr CodePage kCodePages[] = {
    {65001, "utf-8"},        {20127, "us-ascii"},    {1200, "utf-16le"},     {1201, "utf-16be"},
    {65000, "utf-7"},        {20866, "koi8-r"},      {21866, "koi8-u"},      {50220, "iso-2022-jp"},
    {50221, "iso-2022-jp"},  {50222, "iso-2022-jp"}, {50225, "iso-2022-kr"}, {51932, "euc-jp"},
    {20932, "euc-jp"},       {51949, "euc-kr"},      {936, "gbk"},           {54936, "gb18030"},
    {51936, "gb2312"},       {52936, "hz-gb-2312"},  {950, "big5"},          {932, "shift_jis"},
    {949, "ks_c_5601-1987"}, {10000, "macintosh"},   {38598, "iso-8859-8"},  {28591, "iso-8859-1"},
};

// windows-1252 0x80..0x9F; the five open places stay C1 controls.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct Alias {
    std::string_view label;
    std::string_view name;
};

// Labels whose charset iconv knows by another name, or that mail programs
// use for a larger charset than they name (as browsers read them).
constexpr Alias kAliases[] = {
    {"utf-8", "UTF-8"},          {"utf8", "UTF-8"},           {"us-ascii", "UTF-8"},
    {"ascii", "UTF-8"},          {"ansi_x3.4-1968", "UTF-8"}, {"us", "UTF-8"},
    {"iso-8859-1", "CP1252"},    {"iso8859-1", "CP1252"},     {"iso_8859-1", "CP1252"},
    {"latin1", "CP1252"},        {"latin-1", "CP1252"},       {"l1", "CP1252"},
    {"x-user-defined", "CP1252"}, {"iso-8859-9", "CP1254"},   {"latin5", "CP1254"},
    {"x-sjis", "CP932"},         {"shift_jis", "CP932"},      {"shift-jis", "CP932"},
    {"sjis", "CP932"},           {"windows-31j", "CP932"},    {"ms_kanji", "CP932"},
    {"ks_c_5601-1987", "CP949"}, {"ks_c_5601", "CP949"},      {"euc-kr", "CP949"},
    {"gb2312", "GB18030"},       {"gb_2312-80", "GB18030"},   {"euc-cn", "GB18030"},
    {"gbk", "GB18030"},          {"x-gbk", "GB18030"},        {"cp936", "GB18030"},
    {"big5", "BIG5-HKSCS"},      {"x-x-big5", "BIG5-HKSCS"},  {"iso-8859-8-i", "ISO-8859-8"},
    {"iso-8859-6-i", "ISO-8859-6"}, {"utf7", "UTF-7"},        {"unicode-1-1-utf-7", "UTF-7"},
    {"x-unicode-2-0-utf-7", "UTF-7"}, {"unicode", "UTF-16"},  {"ucs-2", "UTF-16"},
    {"iso-2022-jp", "ISO-2022-JP-2"},
};

}  // namespace

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    while (p < end) {
        // Eight ASCII bytes at a time, the common case.
        if (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        size_t length;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (static_cast<size_t>(end - p) < length) return false;
        for (size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        p += length;
    }
    return true;
}

std::string withInvalidUtf8Replaced(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 16);
    size_t i = 0;
    while (i < text.size()) {
        size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 0;
        for (size_t n = 2; length == 0 && n <= 4 && i + n <= text.size(); ++n) {
            if (isValidUtf8(text.substr(i, n))) length = n;
        }
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

bool isAscii(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    uint64_t high = 0;
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        high |= word;
    }
    for (; p < end; ++p) high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080ull) == 0;
}

int windows1252Utf8(unsigned char c, char* out) {
    const uint32_t code = c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c;
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    // At most three bytes out per byte in; written through a pointer.
    std::string out(bytes.size() * 3, '\0');
    char* next = out.data();
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
            *next++ = c;
        } else {
            next += windows1252Utf8(static_cast<unsigned char>(c), next);
        }
    }
    out.resize(static_cast<size_t>(next - out.data()));
    return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const uint32_t first = unit(i);
        if (first >= 0xD800 && first <= 0xDBFF && i + 3 < bytes.size()) {
            const uint32_t second = unit(i + 2);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, first >= 0xD800 && first <= 0xDFFF ? kReplacement : first);
    }
    if (i < bytes.size()) appendUtf8(out, kReplacement);
    return out;
}

std::string codePageCharset(uint32_t codePage) {
    if (codePage == 0) return {};
    for (const CodePage& known : kCodePages) {
        if (known.number == codePage) return std::string(known.label);
    }
    // ISO-8859-n is 28590 + n.
    if (codePage > 28591 && codePage <= 28606) return "iso-8859-" + std::to_string(codePage - 28590);
    return "windows-" + std::to_string(codePage);
}

std::string ensureUtf8(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
}

std::string charsetName(std::string_view label) {
    std::string key = asciiLower(label);
    while (!key.empty() && (key.front() == '"' || key.front() == ' ' || key.front() == '\'')) key.erase(0, 1);
    while (!key.empty() && (key.back() == '"' || key.back() == ' ' || key.back() == '\'')) key.pop_back();
    if (key.empty()) return key;
    for (const Alias& alias : kAliases) {
        if (key == alias.label) return std::string(alias.name);
    }
    // windows-125x as iconv names it.
    if (key.rfind("windows-", 0) == 0) return "CP" + key.substr(8);
    return key;
}

struct Charsets::Converters {
    std::unordered_map<std::string, iconv_t> open;
    uchardet_t detector = nullptr;
};

Charsets::Charsets() : converters_(std::make_unique<Converters>()) {}

Charsets::~Charsets() {
    for (auto& [name, converter] : converters_->open) {
        if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
    }
    if (converters_->detector) uchardet_delete(converters_->detector);
}

bool Charsets::convert(std::string_view bytes, const std::string& name, std::string& out) {
    auto found = converters_->open.find(name);
    if (found == converters_->open.end()) {
        found = converters_->open.emplace(name, iconv_open("UTF-8", name.c_str())).first;
    }
    iconv_t converter = found->second;
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh state

    out.assign(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t written = 0;
    while (true) {
        char* next = out.data() + written;
        size_t outLeft = out.size() - written;
        const size_t result = inLeft ? iconv(converter, &in, &inLeft, &next, &outLeft)
                                     : iconv(converter, nullptr, nullptr, &next, &outLeft);
        written = static_cast<size_t>(next - out.data());
        if (result != static_cast<size_t>(-1)) {
            if (inLeft == 0) {
                // Flushes a shift state (ISO-2022-JP) and ends.
                if (iconv(converter, nullptr, nullptr, &next, &outLeft) == static_cast<size_t>(-1)) return false;
                written = static_cast<size_t>(next - out.data());
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        return false;  // not text in this charset (EILSEQ), or cut short (EINVAL)
    }
    out.resize(written);
    return isValidUtf8(out);
}

std::string Charsets::detect(std::string_view bytes) {
    if (!converters_->detector) converters_->detector = uchardet_new();
    if (!converters_->detector) return {};
    uchardet_reset(converters_->detector);
    if (uchardet_handle_data(converters_->detector, bytes.data(), bytes.size()) != 0) return {};
    uchardet_data_end(converters_->detector);
    const char* found = uchardet_get_charset(converters_->detector);
    return found ? charsetName(found) : std::string();
}

namespace {

// Charsets whose ASCII bytes are not always ASCII text.
bool sevenBitEncoded(const std::string& name) {
    const std::string lower = asciiLower(name);
    return lower.rfind("utf-16", 0) == 0 || lower.rfind("utf-32", 0) == 0 || lower.rfind("ucs-", 0) == 0 ||
           lower == "utf-7" || lower.rfind("iso-2022", 0) == 0 || lower.rfind("hz", 0) == 0;
}

}  // namespace

bool asciiIsText(std::string_view label) { return !sevenBitEncoded(charsetName(label)); }

bool Charsets::fits(std::string_view bytes, std::string_view label) {
    const std::string name = charsetName(label);
    if (name.empty() || name == "UTF-8") return isValidUtf8(bytes);
    if (name == "CP1252" || (!sevenBitEncoded(name) && isAscii(bytes))) return true;
    std::string out;
    return convert(bytes, name, out);
}

std::string Charsets::toUtf8(std::string_view bytes, std::string_view label, bool detect) {
    const std::string name = charsetName(label);
    if ((name.empty() || name == "UTF-8") && isValidUtf8(bytes)) return std::string(bytes);
    if (!sevenBitEncoded(name) && isAscii(bytes)) return std::string(bytes);
    // Every byte is text in windows-1252 (and in Latin-1, read as it): our
    // own table, faster than iconv's, which leaves five bytes out.
    if (name == "CP1252") return windows1252ToUtf8(bytes);
    std::string out;
    if (!name.empty() && name != "UTF-8" && convert(bytes, name, out)) return out;
    if (!detect) return windows1252ToUtf8(bytes);
    const std::string detected = this->detect(bytes);
    if (!detected.empty() && detected != name && detected != "UTF-8" && convert(bytes, detected, out)) return out;
    return windows1252ToUtf8(bytes);
}

}  // namespace tessaly
