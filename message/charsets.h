// charsets.h - text in the charsets mail declares, made UTF-8: every text
// the program writes for people (pages, names, problem lines) is UTF-8.
//
// A label is tried first (with the aliases mail programs write); bytes it
// does not fit, or no label, are detected (uchardet); what is still left
// is read as windows-1252, which maps every byte, so no text is dropped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessaly {

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

// `text` with every byte that does not begin a well-formed sequence
// replaced by U+FFFD; `text` itself when it is valid.
std::string withInvalidUtf8Replaced(std::string_view text);

// Appends the UTF-8 form of the code point `code` (at most U+10FFFF).
void appendUtf8(std::string& out, uint32_t code);

// Whether every byte of `text` is ASCII.
bool isAscii(std::string_view text);

// windows-1252 (the five bytes it leaves open as the C1 controls) in UTF-8.
std::string windows1252ToUtf8(std::string_view bytes);

// The UTF-8 form of the windows-1252 byte `c` (0x80 or above) written to
// `out`; returns its length (two or three bytes).
int windows1252Utf8(unsigned char c, char* out);

// `text` when it is valid UTF-8, else read as windows-1252: for names and
// texts that come without a label.
std::string ensureUtf8(std::string_view text);

// UTF-16LE (as Outlook stores keep text) in UTF-8; a surrogate without its
// other half, and an odd last byte, become U+FFFD.
std::string utf16leToUtf8(std::string_view bytes);

// The charset label of a Windows code page number (as PR_MESSAGE_CODEPAGE
// and PR_INTERNET_CPID give it): "windows-1252" for 1252, "utf-8" for
// 65001, "iso-2022-jp" for 50220 ...; empty for 0.
std::string codePageCharset(uint32_t codePage);

// The iconv name of a charset label ("latin1", "x-sjis", "ks_c_5601-1987",
// ...), "UTF-8" for the labels of UTF-8 and ASCII, or empty when the label
// is empty.
std::string charsetName(std::string_view label);

// Whether ASCII bytes are that ASCII text in the charset `label` (they are
// not in UTF-16, UTF-7 or ISO-2022-JP).
bool asciiIsText(std::string_view label);

// The converters of one run, opened once each.
class Charsets {
public:
    Charsets();
    ~Charsets();
    Charsets(const Charsets&) = delete;
    Charsets& operator=(const Charsets&) = delete;

    // `bytes` in the charset `label` (empty: unknown) as UTF-8. Without
    // `detect` (short texts such as header values, which detection reads
    // poorly) bytes the label does not fit are read as windows-1252.
    std::string toUtf8(std::string_view bytes, std::string_view label, bool detect = true);

    // Whether `bytes` are whole text in the charset `label` (no character
    // cut off at the end, nothing invalid in it).
    bool fits(std::string_view bytes, std::string_view label);

    // What toUtf8 would use for bytes that are not valid in `label`: the
    // detected charset's iconv name, or empty.
    std::string detect(std::string_view bytes);

private:
    // Converts with the iconv converter for `name`; false when there is none
    // or the bytes are not text in it.
    bool convert(std::string_view bytes, const std::string& name, std::string& out);

    struct Converters;
    std::unique_ptr<Converters> converters_;
};

}  // namespace tessaly
