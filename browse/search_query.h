// search_query.h - what a search box query asks for: words that must all
// be present, "quoted phrases", from:/subject: words, before:/after: dates.
// search.js parses queries by the same rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The index key of a word of the From or Subject header: the field letter
// ('f' or 's') after a colon, which no word holds, then the folded word.
std::string fieldTerm(char field, std::string_view word);

// One condition a message must meet: it holds the term, or (prefix) a term
// that starts with it.
struct QueryCondition {
    std::string term;
    bool prefix = false;
    bool operator==(const QueryCondition&) const = default;
};

struct SearchQuery {
    std::vector<QueryCondition> conditions;  // all of them
    std::optional<int64_t> before;           // dates earlier than this (seconds, UTC midnight)
    std::optional<int64_t> after;            // dates from this on
    bool asksNothing() const { return conditions.empty() && !before && !after; }
};

// Query grammar (blanks separate parts; field names ignore case):
//   part     = phrase / filter / word-text
//   phrase   = '"' any-text ['"']              its words, all present
//   filter   = ("from" / "subject") ":" (phrase / text)   words of that header
//            / ("before" / "after") ":" YYYY-MM-DD       dates in UTC
// Words are terms of the folded text (search_terms.h); an unspaced CJK run
// asks for its pairs of characters, so they are found in that order. The
// last word of the last word-text also matches as a prefix when it has two
// characters or more and is not CJK; from: and subject: words always do.
// False with `error` set when a date cannot be read.
bool parseQuery(std::string_view text, SearchQuery& query, std::string& error);

// Seconds since 1970 of 00:00 UTC on a "YYYY-MM-DD" day; nothing when the
// text is not such a date.
std::optional<int64_t> parseDay(std::string_view text);

}  // namespace tessaly
