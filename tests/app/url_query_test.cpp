// url_query_test.cpp - submitted fields, percent encoding and the stored
// list encoding.
#include "app/url_query.h"

#include <gtest/gtest.h>

#include "app/settings.h"

namespace tessaly {
namespace {

TEST(DecodeQuery, FieldsInOrder) {
    struct Case {
        const char* url;
        FormFields expected;
    };
    const Case cases[] = {
        // "+" is a space, "%21" a byte; names stay as written.
        {"dlg:save?x=1&y=a+b%21", {{"x", "1"}, {"y", "a b!"}}},
        // No "?": no fields at all.
        {"webf:intro", {}},
        // A decoded zero byte would end the text: it stays a percent sign.
        {"webf:go?savedir=a%00b", {{"savedir", "a%b"}}},
        // Only the first "?" starts the query; later ones belong to values.
        {"webf:x?q=a?b=c", {{"q", "a?b=c"}}},
        // Incomplete or non-hex escapes are kept as written.
        {"webf:x?a=%4&b=%zz&c=%", {{"a", "%4"}, {"b", "%zz"}, {"c", "%"}}},
        // A piece without "=" is a field with an empty value (an unvalued checkbox).
        {"webf:save?eid3&dbxfolders=on", {{"eid3", ""}, {"dbxfolders", "on"}}},
        // Upper- and lower-case hex digits; "+" in a name is not decoded.
        {"webf:x?a+b=%c3%A9", {{"a+b", "\xC3\xA9"}}},
        // Empty query.
        {"webf:x?", {{"", ""}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeQuery(c.url), c.expected) << c.url;
    }
}

TEST(DecodeQuery, FirstFieldOfANameWins) {
    const FormFields fields = decodeQuery("webf:x?a=1&a=2");
    ASSERT_NE(findField(fields, "a"), nullptr);
    EXPECT_EQ(*findField(fields, "a"), "1");
    EXPECT_EQ(findField(fields, "A"), nullptr);  // names compare exactly
    EXPECT_EQ(withoutQuery("webf:mapi_choose?mapilib=x"), "webf:mapi_choose");
    EXPECT_EQ(withoutQuery("webf:save"), "webf:save");
}

TEST(PercentEncoding, KeepsOnlyTheSafeCharacters) {
    EXPECT_EQ(percentEncode("Az09.-_*@"), "Az09.-_*@");
    EXPECT_EQ(percentEncode("a b&c<d>\"e'/%+"), "a%20b%26c%3Cd%3E%22e%27%2F%25%2B");
    EXPECT_EQ(percentEncode(std::string("\xFF\x00\x7F", 3)), "%FF%00%7F");
    // A link's query decodes back to the same bytes.
    const std::string name = "Caf\xC3\xA9 & <Friends> 100%+";
    EXPECT_EQ(*findField(decodeQuery("webf:x?n=" + percentEncode(name)), "n"), name);
}

TEST(ListEncoding, RoundTripsAnyName) {
    const std::vector<std::vector<std::string>> lists = {
        {},
        {"Inbox"},
        {"Sent Items", "Deleted Items"},                 // spaces inside names
        {"Gel\xC3\xB6scht", "\xE5\x8F\x97\xE4\xBF\xA1"},  // non-ASCII bytes
        {"100%", "a+b", "x%20y"},                         // looks encoded already
        {"", "after an empty name"},
    };
    for (const auto& list : lists) {
        const std::string stored = encodeList(list);
        EXPECT_EQ(stored.find_first_of("\r\n\t"), std::string::npos);
        std::vector<std::string> expected;
        // An empty name cannot survive: the separators around it fold.
        for (const std::string& item : list) {
            if (!item.empty()) expected.push_back(item);
        }
        EXPECT_EQ(decodeList(stored), expected) << stored;
    }
    EXPECT_EQ(encodeList({"Sent Items", "Inbox"}), "Sent%20Items Inbox");
    // Runs of spaces separate like one; leading and trailing ones are ignored.
    EXPECT_EQ(decodeList("  a   b%20c  "), (std::vector<std::string>{"a", "b c"}));
    // Decoding does not treat "+" as a space.
    EXPECT_EQ(decodeList("a+b"), std::vector<std::string>{"a+b"});
}

}  // namespace
}  // namespace tessaly
