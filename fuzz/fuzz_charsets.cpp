// fuzz_charsets.cpp - the charset converter and the header texts: every
// result is valid UTF-8 whatever the bytes and the label.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "message/charsets.h"
#include "message/header_text.h"

namespace tessaly::fuzz {

namespace {

// Labels of every kind of converter: stateful, wide, multibyte, single
// byte, unknown.
constexpr const char* kLabels[] = {
    "",           "utf-8",       "iso-8859-1", "windows-1251", "koi8-r",     "iso-2022-jp",
    "shift_jis",  "euc-jp",      "euc-kr",     "gb2312",       "big5",       "utf-16",
    "utf-16le",   "utf-32",      "utf7",       "hz-gb-2312",   "x-unknown",  "iso-8859-8-i",
};

void mustBeUtf8(const std::string& text, const char* what) {
    if (!isValidUtf8(text)) propertyFailed(what);
}

}  // namespace

void fuzzCharsets(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const uint8_t choice = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const char* label = kLabels[(choice & 0x1F) % (sizeof kLabels / sizeof kLabels[0])];
    // One converter set for all the calls, as in a run: a shift state or a
    // half character left behind by one call must not leak into the next.
    static Charsets charsets;

    const std::string once = charsets.toUtf8(bytes, label, (choice & 0x20) != 0);
    mustBeUtf8(once, "toUtf8 wrote invalid UTF-8");
    if (charsets.toUtf8(bytes, label, (choice & 0x20) != 0) != once) propertyFailed("toUtf8 not repeatable");
    (void)charsets.fits(bytes, label);
    mustBeUtf8(ensureUtf8(bytes), "ensureUtf8 wrote invalid UTF-8");
    mustBeUtf8(headerText(charsets, bytes, label), "headerText wrote invalid UTF-8");
    mustBeUtf8(headerNameText(charsets, bytes, label), "headerNameText wrote invalid UTF-8");
    mustBeUtf8(plainHeaderText(charsets, bytes, label), "plainHeaderText wrote invalid UTF-8");
}

}  // namespace tessaly::fuzz
