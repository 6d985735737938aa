// search_terms_test.cpp - folding and terms, and that search.js folds and
// parses exactly as the C++ does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "browse/search_codes.h"
#include "browse/search_page.h"
#include "browse/search_query.h"
#include "browse/search_terms.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

std::string termList(std::string_view text) {
    std::string out;
    forEachTerm(foldText(text), [&](const Term& term) {
        if (!out.empty()) out += ' ';
        out += std::string(term.text);
    });
    return out;
}

struct FoldCase {
    const char* text;
    const char* terms;
    const char* why;
};

const FoldCase kFoldCases[] = {
    {"Hello, World!", "hello world", "ASCII case and punctuation"},
    {"Café Crème résumé", "cafe creme resume", "accents dropped"},
    {"Cafe\xCC\x81", "cafe", "a combining accent after ASCII"},
    {"ÉCOLE école", "ecole ecole", "capital accented letters"},
    {"Straße GRÜSSE", "straße grusse", "sharp s kept, umlaut dropped"},
    {"Привет МИР Ёлка", "привет мир елка", "Cyrillic lower case, yo folded to ye"},
    {"ΟΔΥΣΣΕΥΣ Ἀλέξανδρος", "οδυσσευσ αλεξανδροσ", "Greek: final sigma as sigma, breathing and accents dropped"},
    {"ﬁle ＡＢＣ１２３", "file abc123", "compatibility forms: ligature, full width"},
    {"İstanbul", "istanbul", "dotted capital I"},
    {"room 101, 2.5kg; v2", "room 101 2 5kg v2", "digits inside and between words"},
    {"e-mail foo_bar a/b", "e mail foo bar a b", "dash, underscore and slash separate words"},
    {"東京都", "東 京 東京 都 京都", "Han characters one by one, with their pairs"},
    {"コーヒー", "コ ー コー ヒ ーヒ ー ヒー", "Katakana and the prolonged sound mark"},
    {"ｺｰﾋｰ", "コ ー コー ヒ ーヒ ー ヒー", "half-width Katakana"},
    {"한국어 tokyo東京", "한 국 한국 어 국어 tokyo 東 京 東京", "Hangul syllables stay whole; a word then CJK"},
    {"が", "か", "a voiced kana loses its mark"},
    {"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwx", "long words cut to 24 characters"},
    {"\xE9t\xE9", "ete", "windows-1252 bytes that are not UTF-8"},
    {"a\xE2\x80\xA8" "b\xE2\x80\xA9" "c", "a b c", "line and paragraph separators separate"},
    {"", "", "empty"},
};

TEST(SearchTerms, FoldsAndCutsText) {
    for (const FoldCase& c : kFoldCases) EXPECT_EQ(termList(c.text), c.terms) << c.why;
}

// The page's folding, terms and query rules, run by node or chromium.
std::string runScript(const std::string& script, test::TempDir& dir) {
    if (std::system("command -v node >/dev/null 2>&1") == 0) {
        test::writeFile(dir.file("t.js"), script + "\nconsole.log(JSON.stringify(out));\n");
        const std::string command = "node " + dir.file("t.js") + " > " + dir.file("out.txt");
        if (std::system(command.c_str()) != 0) return "node failed";
        return test::readFile(dir.file("out.txt"));
    }
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) return "";
    test::writeFile(dir.file("t.html"), "<!DOCTYPE html><meta charset=utf-8><pre id=o></pre><script>" + script +
                                            "\ndocument.getElementById('o').textContent = JSON.stringify(out);</script>");
    const std::string command = "chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking "
                                "--user-data-dir=" + dir.file("profile") + " --dump-dom file://" + dir.file("t.html") +
                                " 2>/dev/null > " + dir.file("out.txt");
    if (std::system(command.c_str()) != 0) return "chromium failed";
    std::string dom = test::readFile(dir.file("out.txt"));
    const size_t start = dom.find("<pre id=\"o\">"), end = dom.find("</pre>");
    if (start == std::string::npos || end == std::string::npos) return "no output";
    std::string text = dom.substr(start + 12, end - start - 12);
    for (const auto& [entity, c] : {std::pair<std::string, std::string>{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        for (size_t at = 0; (at = text.find(entity, at)) != std::string::npos;) text.replace(at, entity.size(), c);
    }
    return text;
}

TEST(SearchTerms, PageAgreesWithCpp) {
    std::vector<std::string> texts;
    for (const FoldCase& c : kFoldCases) {
        if (std::string_view(c.why).find("windows-1252") == std::string_view::npos) texts.push_back(c.text);
    }
    const std::vector<std::string> queries = {"Café crè", "from:Müller subject:\"Re: Budget\" after:2004-02-29",
                                              "\"東京都\" 東京 ab", "before:2005-01-01 x", "tokyo東京 ΣΟΦΙΑ",
                                              "FROM:alice@Example.org bu", "after:2004-02-30"};
    std::string script = searchScript() + "\nvar out = {terms: [], queries: []};\n";
    std::string expected = "{\"terms\":[";
    for (size_t k = 0; k < texts.size(); ++k) {
        std::string quoted;
        appendJsonString(quoted, texts[k]);
        script += "(function(){var t=[];tessalySearch.splitTerms(tessalySearch.fold(" + quoted +
                  "),function(w){t.push(w);});out.terms.push(t.join(' '));})();\n";
        std::string terms;
        appendJsonString(terms, termList(texts[k]));
        expected += (k > 0 ? "," : "") + terms;
    }
    expected += "],\"queries\":[";
    for (size_t k = 0; k < queries.size(); ++k) {
        std::string quoted;
        appendJsonString(quoted, queries[k]);
        script += "try{var q=tessalySearch.parseQuery(" + quoted +
                  ");out.queries.push(q.conditions.map(function(c){return c.term+(c.prefix?'*':'');}).join(' ')+"
                  "'|'+q.before+'|'+q.after);}catch(e){out.queries.push('error: '+e.message);}\n";
        SearchQuery query;
        std::string error;
        std::string line;
        if (!parseQuery(queries[k], query, error)) {
            line = "error: " + error;
        } else {
            for (const QueryCondition& c : query.conditions) line += (line.empty() ? "" : " ") + c.term + (c.prefix ? "*" : "");
            line += "|" + (query.before ? std::to_string(*query.before) : "null") + "|" +
                    (query.after ? std::to_string(*query.after) : "null");
        }
        std::string quotedLine;
        appendJsonString(quotedLine, line);
        expected += (k > 0 ? "," : "") + quotedLine;
    }
    expected += "]}";
    test::TempDir dir;
    std::string got = runScript(script, dir);
    if (got.empty()) GTEST_SKIP() << "neither node nor chromium is installed";
    while (!got.empty() && got.back() == '\n') got.pop_back();
    // JSON.stringify leaves non-ASCII as it is and escapes nothing we escape.
    std::string plain;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected.compare(i, 6, "\\u003c") == 0) { plain += '<'; i += 5; } else plain += expected[i];
    }
    EXPECT_EQ(got, plain);
}

}  // namespace
}  // namespace tessaly
