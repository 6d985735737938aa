// html_charset_test.cpp - the charset an HTML body declares in its meta
// elements, as browsers find it.
#include "message/html_charset.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

TEST(HtmlCharset, FoundInEitherMetaFormAsBrowsersWrite) {
    struct Row {
        const char* html;
        const char* label;
    } const rows[] = {
        {"<html><head><meta charset=\"iso-8859-2\"></head>", "iso-8859-2"},
        {"<META CHARSET=Windows-1251>", "windows-1251"},
        {"<meta charset = 'koi8-r' />", "koi8-r"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\">", "shift_jis"},
        {"<meta content='text/html;charset=\"gb2312\"' http-equiv=content-type>", "gb2312"},
        {"<meta name=viewport content=\"width=device-width\"><meta charset=utf-8>", "utf-8"},
        {"<p>charset=latin1 in the text is no declaration</p>", ""},
        {"<meta name=\"description\" content=\"about charsets\">", ""},
        {"<meta charset=>", ""},
        {"<meta charset=\"big5", "big5"},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(declaredHtmlCharset(row.html), row.label) << row.html;
}

TEST(HtmlCharset, OnlyTheFirstKilobyteIsRead) {
    const std::string late = std::string(1100, ' ') + "<meta charset=\"iso-8859-5\">";
    EXPECT_EQ(declaredHtmlCharset(late), "");
    const std::string cut = std::string(1000, ' ') + "<meta charset=\"iso-8859-5\">";
    EXPECT_EQ(declaredHtmlCharset(cut), "");
    const std::string inside = std::string(990, ' ') + "<meta charset=\"iso-8859-5\">";
    EXPECT_EQ(declaredHtmlCharset(inside), "iso-8859-5");
}

}  // namespace
}  // namespace tessaly
