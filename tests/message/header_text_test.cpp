// header_text_test.cpp - header values as UTF-8, for pages and for names.
#include "message/header_text.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

struct Row {
    const char* value;
    const char* fallback;  // the body's charset
    const char* display;   // headerText
    const char* name;      // headerNameText
};

TEST(HeaderText, DisplayAndNameForms) {
    const Row rows[] = {
        // A Q word's "_" is a space to people; UTF-8 names keep it, as before.
        {"=?UTF-8?Q?Ren=C3=A9_Fran=C3=A7ois?=", "", "René François", "René_François"},
        {"=?UTF-8?B?0J/RgNC40LLQtdGCINC80LjRgA==?=", "", "Привет мир", "Привет мир"},
        // Words in other charsets are converted; a name then is UTF-8 too.
        {"=?iso-8859-1?Q?Caf=E9_menu?=", "", "Café menu", "Café_menu"},
        {"=?koi8-r?B?8NLJ18XU?=", "", "Привет", "Привет"},
        {"=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "", "日本語", "日本語"},
        // A character split between two words (the blank between them is
        // not text) comes out whole, in UTF-8 and in Shift_JIS.
        {"=?utf-8?B?5pel5g==?= =?utf-8?B?nKzoqp4=?=", "", "日本語", "日本語"},
        {"=?shift_jis?B?k/qW?=\r\n =?shift_jis?B?e4zq?=", "", "日本語", "日本語"},
        // Whole words: the blank goes for people, names keep it as before.
        {"=?utf-8?Q?a?= =?utf-8?Q?b?=", "", "ab", "a b"},
        {"=?iso-8859-1?Q?=E9?= =?iso-8859-1?Q?=E8?=", "", "éè", "é è"},
        // Words of two charsets, and a word beside plain text.
        {"=?iso-8859-1?Q?Caf=E9?= =?koi8-r?B?8NLJ18XU?=", "", "CaféПривет", "Café Привет"},
        {"Re: =?iso-8859-1?Q?caf=E9?= ok", "", "Re: café ok", "Re: café ok"},
        // Raw 8-bit text: UTF-8 when valid, else the body's charset, else
        // windows-1252.
        {"Jos\xC3\xA9", "koi8-r", "José", "José"},
        {"Jos\xE9", "iso-8859-1", "José", "José"},
        {"\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r", "Привет", "Привет"},
        {"Jos\xE9 \x93quoted\x94", "", "José “quoted”", "José “quoted”"},
        // An unknown charset or bytes its label does not fit: windows-1252.
        {"=?x-unknown?Q?Caf=E9?=", "", "Café", "Café"},
        {"=?utf-8?Q?Caf=E9?=", "", "Café", "Café"},
        // Malformed words stay text; an undecodable base64 word adds nothing.
        {"=?utf-8?B?SGVsbG?=after", "", "after", "after"},
        {"=?utf-8?Q?open", "", "=?utf-8?Q?open", "=?utf-8?Q?open"},
        {"", "", "", ""},
    };
    Charsets charsets;
    for (const Row& row : rows) {
        EXPECT_EQ(headerText(charsets, row.value, row.fallback), row.display) << row.value;
        EXPECT_EQ(headerNameText(charsets, row.value, row.fallback), row.name) << row.value;
    }
}

TEST(HeaderText, EveryResultIsUtf8) {
    // Damaged words of every kind: cut escapes, cut shift states, bytes no
    // charset holds, NULs.
    const std::string values[] = {
        "=?iso-2022-jp?B?GyRCRnxL?=",          // shift state never closed
        "=?utf-16?B?2D3eAA?= x",                // lone surrogate half
        "=?utf-7?Q?+2D3-?=",                    // UTF-7 surrogate
        "=?shift_jis?Q?=93?= =?euc-kr?Q?=B0?=",  // lead bytes with no trail
        std::string("=?utf-8?Q?a=00b?=\xFF\xFE\0c", 21),  // raw bytes and a NUL after a word
        "=?utf-8?Q?=C3?= plain =?utf-8?Q?=A9?=",  // a split with text between
    };
    Charsets charsets;
    for (const std::string& value : values) {
        for (const char* fallback : {"", "utf-8", "iso-2022-jp", "shift_jis"}) {
            EXPECT_TRUE(isValidUtf8(headerText(charsets, value, fallback))) << value;
            EXPECT_TRUE(isValidUtf8(headerNameText(charsets, value, fallback))) << value;
            EXPECT_TRUE(isValidUtf8(plainHeaderText(charsets, value, fallback))) << value;
        }
    }
}

}  // namespace
}  // namespace tessaly
