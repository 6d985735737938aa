// addresses_test.cpp - address lists: tolerant reading, HTML forms, the
// 24-character cut, first name and first address.
#include "message/addresses.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tessaly {
namespace {

struct AddressRow {
    const char* why;
    std::string text;
    int count;
    std::string full;
    std::string brief;  // the short form
    std::string name;
    std::string address;
};

const std::string kJohn =
    "<a href=\"mailto:john@example.com\">Doe, John</a> "
    "<a href=\"mailto:john@example.com\">&lt;john@example.com&gt;</a>";
const std::string kAnna = "<a href=\"mailto:anna@x.org\">&lt;anna@x.org&gt;</a>";
const std::string kBob = "<a href=\"mailto:bob@y.org\">&lt;bob@y.org&gt;</a>";
const std::string kCy = "<a href=\"mailto:cy@z.org\">&lt;cy@z.org&gt;</a>";

TEST(AddressList, Table) {
    const AddressRow rows[] = {
        {"quoted name holding a comma, address in angle brackets: one entry",
         "\"Doe, John\" <john@example.com>", 1, kJohn, kJohn, "Doe, John", "john@example.com"},
        {"bare address: no name, only the linked address part",
         "anna@x.org", 1, kAnna, kAnna, "anna@x.org", "anna@x.org"},
        {"old comment form: the parenthesised text without @ is the name",
         "john@example.com (Doe, John)", 1, kJohn, kJohn, "Doe, John", "john@example.com"},
        {"no @ anywhere: name-only entries without links",
         "Undisclosed recipients", 1, "Undisclosed recipients", "Undisclosed recipients",
         "Undisclosed recipients", ""},
        {"plain form passes 24 after the second of five entries",
         "anna@x.org, bob@y.org, cy@z.org, dd@w.org, ee@v.org", 5,
         kAnna + ", " + kBob + ", " + kCy +
             ", <a href=\"mailto:dd@w.org\">&lt;dd@w.org&gt;</a>"
             ", <a href=\"mailto:ee@v.org\">&lt;ee@v.org&gt;</a>",
         kAnna + ", " + kBob + ", ...", "anna@x.org", "anna@x.org"},
        {"plain form passes 24 only at the last entry: no ellipsis",
         "anna@x.org, bob@y.org", 2, kAnna + ", " + kBob, kAnna + ", " + kBob, "anna@x.org",
         "anna@x.org"},
        {"a long name alone passes 24: the cut comes right after it",
         "\"A rather long display name\" <anna@x.org>, bob@y.org", 2,
         "<a href=\"mailto:anna@x.org\">A rather long display name</a> " + kAnna + ", " + kBob,
         "<a href=\"mailto:anna@x.org\">A rather long display name</a> " + kAnna + ", ...",
         "A rather long display name", "anna@x.org"},
        {"empty text", "", 0, "", "", "", ""},
        {"only separators and blanks", " ,\r\n\t, ", 0, "", "", "", ""},
        {"group syntax is not understood: the label stays with the first address",
         "Friends: anna@x.org, bob@y.org;", 2,
         "<a href=\"mailto:Friends: anna@x.org\">&lt;Friends: anna@x.org&gt;</a>, "
         "<a href=\"mailto:bob@y.org;\">&lt;bob@y.org;&gt;</a>",
         "<a href=\"mailto:Friends: anna@x.org\">&lt;Friends: anna@x.org&gt;</a>, "
         "<a href=\"mailto:bob@y.org;\">&lt;bob@y.org;&gt;</a>",
         "Friends anna@x.org", "Friends: anna@x.org"},
        {"empty group is a name", "undisclosed-recipients:;", 1, "undisclosed-recipients:;",
         "undisclosed-recipients:;", "undisclosed-recipients;", ""},
        {"a quoted name and a comment name are joined with a space",
         "\"John\" <anna@x.org> (work)", 1,
         "<a href=\"mailto:anna@x.org\">John work</a> " + kAnna,
         "<a href=\"mailto:anna@x.org\">John work</a> " + kAnna, "John work", "anna@x.org"},
        {"the same address twice in a row counts once", "anna@x.org <anna@x.org>", 1, kAnna,
         kAnna, "anna@x.org", "anna@x.org"},
        {"two addresses in one item give two entries", "<anna@x.org> <bob@y.org>", 2,
         kAnna + ", " + kBob, kAnna + ", " + kBob, "anna@x.org", "anna@x.org"},
        {"unclosed quote runs to the end and swallows the address",
         "\"John <anna@x.org>", 1, "John &lt;anna@x.org&gt;", "John &lt;anna@x.org&gt;",
         "John anna@x.org", ""},
        {"square brackets: an address with @, a name without",
         "[anna@x.org] [note]", 1, "<a href=\"mailto:anna@x.org\">note</a> " + kAnna,
         "<a href=\"mailto:anna@x.org\">note</a> " + kAnna, "note", "anna@x.org"},
        {"quotes around the address itself are stripped", "<\"anna@x.org\">", 1, kAnna, kAnna,
         "anna@x.org", "anna@x.org"},
        {"an angle address without @ is shown, unlinked, right after the name",
         "\"Jo\" <local>", 1, "Jo&lt;local&gt;", "Jo&lt;local&gt;", "Jo", ""},
        {"markup in a name is escaped",
         "\"<b>Evil</b> & co\" <anna@x.org>", 1,
         "<a href=\"mailto:anna@x.org\">&lt;b&gt;Evil&lt;/b&gt; &amp; co</a> " + kAnna,
         "<a href=\"mailto:anna@x.org\">&lt;b&gt;Evil&lt;/b&gt; &amp; co</a> " + kAnna,
         "bEvilb & co", "anna@x.org"},
        {"a quote in the address cannot leave the href attribute", "<x\"onclick=y@x.org>", 1,
         "<a href=\"mailto:x%22onclick=y@x.org\">&lt;x\"onclick=y@x.org&gt;</a>",
         "<a href=\"mailto:x%22onclick=y@x.org\">&lt;x\"onclick=y@x.org&gt;</a>",
         "xonclick=y@x.org", "x\"onclick=y@x.org"},
        {"folded list: line breaks and tabs between items are skipped",
         "anna@x.org,\r\n\tbob@y.org", 2, kAnna + ", " + kBob, kAnna + ", " + kBob, "anna@x.org",
         "anna@x.org"},
        {"a NUL byte ends the text", std::string("anna@x.org\0, bob@y.org", 22), 1, kAnna, kAnna,
         "anna@x.org", "anna@x.org"},
        {"first address skips entries without @", "Jo, bob@y.org", 2, "Jo, " + kBob,
         "Jo, " + kBob, "Jo", "bob@y.org"},
    };
    for (const AddressRow& row : rows) {
        SCOPED_TRACE(row.why);
        std::string full = "junk", brief = "junk", name = "junk", address = "junk";
        EXPECT_EQ(formatAddressList(row.text, &full, &brief, &name, &address), row.count);
        EXPECT_EQ(full, row.full);
        EXPECT_EQ(brief, row.brief);
        EXPECT_EQ(name, row.name);
        EXPECT_EQ(address, row.address);
        // Outputs may be left out; the count does not depend on them.
        EXPECT_EQ(formatAddressList(row.text, nullptr, nullptr, nullptr, nullptr), row.count);
    }
}

// Every prefix of a hostile list, and random bytes rich in brackets, quotes
// and separators: no crash, no read past the text (checked under ASan).
TEST(AddressList, PrefixesAndNoiseAreSafe) {
    const std::string list =
        "\"Doe, \\\"J\\\"\" <j@x.org> (work [x]), [a@b] <\"c@d\">, Grp: e@f;, \"open <g@h";
    for (size_t n = 0; n <= list.size(); ++n) {
        const std::string prefix = list.substr(0, n);
        std::string full, brief, name, address;
        const int count = formatAddressList(prefix, &full, &brief, &name, &address);
        EXPECT_GE(count, 0);
        if (count == 0) {
            EXPECT_TRUE(full.empty() && brief.empty() && name.empty());
        }
    }
    std::mt19937 random(7);
    const std::string alphabet("\"<>()[],@ \r\n\tab\0", 16);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        std::string full, brief;
        formatAddressList(text, &full, &brief, nullptr, nullptr);
        // The short form is the full one, or a prefix of it and ", ...".
        if (brief != full) {
            ASSERT_GE(brief.size(), 5u);
            EXPECT_EQ(brief.substr(brief.size() - 5), ", ...");
            EXPECT_EQ(full.compare(0, brief.size() - 5, brief, 0, brief.size() - 5), 0);
        }
    }
}

}  // namespace
}  // namespace tessaly
