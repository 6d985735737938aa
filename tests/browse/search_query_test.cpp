// search_query_test.cpp - reading queries: words, prefixes, phrases,
// filters, CJK runs, dates.
#include <gtest/gtest.h>

#include "browse/search_query.h"

namespace tessaly {
namespace {

std::string shown(const SearchQuery& query) {
    std::string out;
    for (const QueryCondition& c : query.conditions) out += (out.empty() ? "" : " ") + c.term + (c.prefix ? "*" : "");
    if (query.after) out += " after=" + std::to_string(*query.after);
    if (query.before) out += " before=" + std::to_string(*query.before);
    return out;
}

TEST(SearchQuery, ReadsQueries) {
    const struct {
        const char* query;
        const char* conditions;
        const char* why;
    } cases[] = {
        {"Budget Meeting", "budget meeting*", "all words, the last as a prefix"},
        {"budget m", "budget m", "a one-letter last word is not a prefix"},
        {"\"annual budget\"", "annual budget", "a phrase: its words, no prefix"},
        {"\"annual budget", "annual budget", "an unclosed quote runs to the end"},
        {"budget \"next week\"", "budget* next week", "the last word outside quotes is the prefix"},
        {"from:Alice subject:\"Re: Plans\"", ":falice* :sre* :splans*", "header words match as prefixes"},
        {"FROM:alice@example.org", ":falice* :fexample* :forg*", "field names ignore case; an address is its words"},
        {"from: alice", "alice*", "an empty filter asks nothing; the word is plain"},
        {"東京都", "東京 京都", "an unspaced CJK run: its pairs"},
        {"東 京", "東 京", "spaced CJK characters: each alone"},
        {"tokyo東京", "tokyo 東京", "a word then CJK: no prefix after CJK"},
        {"after:2004-02-29 before:2004-03-01", " after=1078012800 before=1078099200", "a leap day; dates alone"},
        {"size:large", "size large*", "an unknown field is plain words"},
        {"  --  ", "", "punctuation only asks nothing"},
    };
    for (const auto& c : cases) {
        SearchQuery query;
        std::string error;
        ASSERT_TRUE(parseQuery(c.query, query, error)) << c.why;
        EXPECT_EQ(shown(query), c.conditions) << c.why;
    }
}

TEST(SearchQuery, RefusesBadDates) {
    for (const char* query : {"before:2004-13-01", "after:2003-02-29", "after:04-01-01", "before:", "after:2004-1-01"}) {
        SearchQuery parsed;
        std::string error;
        EXPECT_FALSE(parseQuery(query, parsed, error)) << query;
        EXPECT_NE(error.find("YYYY-MM-DD"), std::string::npos) << query;
    }
    EXPECT_EQ(parseDay("1970-01-01"), 0);
    EXPECT_EQ(parseDay("1969-12-31"), -86400);
    EXPECT_EQ(parseDay("2050-06-15"), 2538864000);
}

}  // namespace
}  // namespace tessaly
