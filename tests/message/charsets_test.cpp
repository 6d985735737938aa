// charsets_test.cpp - text in the charsets mail declares, made UTF-8.
#include "message/charsets.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tessaly {
namespace {

using namespace std::string_literals;

std::string repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(Charsets, LabelledSamplesReadAsTheirText) {
    struct Row {
        std::string label;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"utf-8", "Gr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\xE7\x95\x8C", "Grüße, 世界"},
        {"iso-8859-1", "Caf\xE9 cr\xE8me", "Café crème"},
        {"ISO-8859-2", "Za\xBF\xF3\xB3\xE6 g\xEA\xB6l\xB1", "Zażółć gęślą"},
        {"iso-8859-5", "\xBF\xE0\xD8\xD2\xD5\xE2 \xDC\xD8\xE0", "Привет мир"},
        {"iso-8859-7", "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", "Καλημέρα"},
        {"iso-8859-15", "Prix : 5 \xA4", "Prix : 5 €"},
        {"windows-1250", "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2", "Příliš žluťoučký kůň"},
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0", "Привет, мир"},
        {"windows-1252", "\x93quotes\x94 \x96 \x80", "“quotes” – €"},
        {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2", "Привет мир"},
        {"koi8-u", "\xF5\xCB\xD2\xC1\xA7\xCE\xC1, \xA7\xD6\xC1\xCB", "Україна, їжак"},
        {"iso-2022-jp", "\x1B$BF|K\x5C\x38l$N%F%-%9%H\x1B(B", "日本語のテキスト"},
        {"shift_jis", "\x93\xFA\x96{\x8C\xEA\x82\xCC\x83\x65\x83L\x83X\x83g", "日本語のテキスト"},
        {"euc-jp", "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8", "日本語のテキスト"},
        {"euc-kr", "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4", "안녕하세요"},
        {"gb2312", "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7", "你好世界"},
        {"big5", "\xC1\x63\xC5\xE9\xA4\xA4\xA4\xE5", "繁體中文"},
        {"utf-16", "\xFF\xFE\x95\x03\xBB\x03\xBB\x03\xB7\x03\xBD\x03\xB9\x03\xBA\x03\xAC\x03 \x00\xE5\x65,g"s,
         "Ελληνικά 日本"},
        // Labels as mail programs write them, for the charsets they mean.
        {"latin1", "na\xEFve", "naïve"},
        {"ISO-8859-1", "\x93quoted\x94", "“quoted”"},  // Latin-1 read as windows-1252
        {"\"x-sjis\"", "\x87@\x93\xFA\x96{", "①日本"},
        {"ks_c_5601-1987", "\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF", "똠방각하"},
        {"gb2312", "\x9Es", "瀞"},  // a GBK character under the GB2312 label
        {"iso-8859-8-i", "\xF9\xEC\xE5\xED", "שלום"},
        {"utf7", "Hi +Jjo-", "Hi ☺"},
        {"us-ascii", "plain", "plain"},
    };
    Charsets charsets;
    for (const Row& row : rows) {
        EXPECT_EQ(charsets.toUtf8(row.bytes, row.label), row.text) << row.label;
        EXPECT_TRUE(charsets.fits(row.bytes, row.label)) << row.label;
    }
}

TEST(Charsets, WrongOrMissingLabelsAreDetectedAndNothingIsDropped) {
    Charsets charsets;
    const std::string koi8 = repeat("\xF0\xD2\xC9\xD7\xC5\xD4, \xCB\xC1\xCB \xC4\xC5\xCC\xC1? ", 8);
    const std::string russian = repeat("Привет, как дела? ", 8);
    const std::string sjis = repeat("\x93\xFA\x96{\x8C\xEA\x82\xCC\x83\x65\x83L\x83X\x83g\x82\xC5\x82\xB7\x81\x42", 6);
    const std::string japanese = repeat("日本語のテキストです。", 6);
    // No label, or one iconv does not know: detected.
    EXPECT_EQ(charsets.toUtf8(koi8, ""), russian);
    EXPECT_EQ(charsets.toUtf8(koi8, "x-unknown-charset"), russian);
    EXPECT_EQ(charsets.toUtf8(sjis, ""), japanese);
    // Labelled UTF-8 or ASCII but not valid in it: detected too.
    EXPECT_EQ(charsets.toUtf8(sjis, "utf-8"), japanese);
    EXPECT_EQ(charsets.toUtf8(koi8, "us-ascii"), russian);
    // Without detection (header values) such bytes are windows-1252.
    EXPECT_EQ(charsets.toUtf8("Caf\xE9", "utf-8", false), "Café");
    EXPECT_EQ(charsets.toUtf8("Caf\xE9", "x-unknown", false), "Café");
    EXPECT_FALSE(charsets.fits("Caf\xE9", "utf-8"));
    // A character cut off at the end does not fit, and is not lost either.
    EXPECT_FALSE(charsets.fits("\x93\xFA\x96", "shift_jis"));
    EXPECT_FALSE(charsets.fits("\xE6\x97", "utf-8"));
    EXPECT_FALSE(charsets.toUtf8("\x93\xFA\x96", "shift_jis", false).empty());

    // Every byte value, under labels of every kind: valid UTF-8, never empty,
    // and through windows-1252 one character per byte.
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (const char* label : {"", "utf-8", "iso-2022-jp", "utf-16", "utf7", "shift_jis", "koi8-r", "x-bogus"}) {
        const std::string out = charsets.toUtf8(all, label);
        EXPECT_TRUE(isValidUtf8(out)) << label;
        EXPECT_GE(out.size(), all.size()) << label;
    }
    EXPECT_EQ(charsets.toUtf8(all, "utf-8", false), windows1252ToUtf8(all));
}

TEST(Charsets, Utf8Checks) {
    struct Row {
        std::string bytes;
        bool valid;
    };
    const Row rows[] = {
        {"", true},
        {"ascii only, longer than eight bytes", true},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true},  // é € 😀
        {"\xF4\x8F\xBF\xBF", true},                      // U+10FFFF
        {"\xC0\xAF", false},                             // overlong "/"
        {"\xE0\x80\xAF", false},                         // overlong, three bytes
        {"\xF0\x80\x80\xAF", false},                     // overlong, four bytes
        {"\xED\xA0\x80", false},                         // a surrogate
        {"\xF4\x90\x80\x80", false},                     // above U+10FFFF
        {"\xE2\x82", false},                             // cut short
        {"abcdefgh\xE2\x82", false},                     // cut short after a fast run
        {"\x80", false},                                 // a lone continuation byte
        {"\xC3\x28", false},                             // a bad continuation byte
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.bytes;
        EXPECT_TRUE(isValidUtf8(ensureUtf8(row.bytes))) << row.bytes;
        EXPECT_TRUE(isValidUtf8(withInvalidUtf8Replaced(row.bytes))) << row.bytes;
        if (row.valid) {
            EXPECT_EQ(ensureUtf8(row.bytes), row.bytes);
            EXPECT_EQ(withInvalidUtf8Replaced(row.bytes), row.bytes);
        }
    }
    // Each bad byte becomes one U+FFFD; good sequences around it stay.
    EXPECT_EQ(withInvalidUtf8Replaced("a\xEE\xC3\xA9\xE2\x82z"), "a\xEF\xBF\xBD\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBDz");
    // The five bytes windows-1252 leaves open stay C1 controls.
    EXPECT_EQ(windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(Charsets, OutlookTexts) {
    // UTF-16LE as Unicode stores keep it: a pair, and broken ones.
    EXPECT_EQ(utf16leToUtf8("A\x00\xE9\x00\xE5\x65"s), "Aé日");
    EXPECT_EQ(utf16leToUtf8("\x3D\xD8\x00\xDE"s), "😀");
    EXPECT_EQ(utf16leToUtf8("\x3D\xD8P\x00"s), "\xEF\xBF\xBDP");  // a high half alone
    EXPECT_EQ(utf16leToUtf8("\x00\xDEx\x00"s), "\xEF\xBF\xBDx");  // a low half alone
    EXPECT_EQ(utf16leToUtf8("\x3D\xD8"s), "\xEF\xBF\xBD");        // cut after a high half
    EXPECT_EQ(utf16leToUtf8("A\x00" "B"s), "A\xEF\xBF\xBD");           // an odd byte
    EXPECT_EQ(utf16leToUtf8(""), "");

    // Code pages of 8-bit strings, as labels the converter reads.
    Charsets charsets;
    struct Row {
        uint32_t codePage;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {1252, "\x93" "Caf\xE9\x94", "“Café”"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {65001, "Gr\xC3\xBC\xC3\x9F\x65", "Grüße"},
        {50220, "\x1B$BF|K\x5C\x38l\x1B(B", "日本語"},
        {51932, "\xC6\xFC\xCB\xDC", "日本"},
        {932, "\x93\xFA\x96{", "日本"},
        {936, "\xC4\xE3\xBA\xC3", "你好"},
        {949, "\xBE\xC8\xB3\xE7", "안녕"},
        {950, "\xA4\xA4\xA4\xE5", "中文"},
        {20866, "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
        {28592, "\xA3\xF3" "d\xBF", "Łódż"},
        {28605, "\xA4", "€"},
        {0, "plain", "plain"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(charsets.toUtf8(row.bytes, codePageCharset(row.codePage), false), row.text) << row.codePage;
    }
    // A code page nobody knows still gives text.
    EXPECT_EQ(charsets.toUtf8("Caf\xE9", codePageCharset(99999), false), "Café");
}

TEST(Charsets, LabelNames) {
    EXPECT_EQ(charsetName(""), "");
    EXPECT_EQ(charsetName("\"UTF-8\""), "UTF-8");
    EXPECT_EQ(charsetName("US-ASCII"), "UTF-8");
    EXPECT_EQ(charsetName("Windows-1251"), "CP1251");
    EXPECT_EQ(charsetName("ISO-8859-1"), "CP1252");
    EXPECT_EQ(charsetName("ks_c_5601-1987"), "CP949");
    EXPECT_EQ(charsetName("GB2312"), "GB18030");
    EXPECT_EQ(charsetName("koi8-r"), "koi8-r");  // iconv knows it as it is
}

}  // namespace
}  // namespace tessaly
