// threads_test.cpp - conversation threading: ids, cycles, Gmail ids,
// subjects, and independence from the rows' order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "browse/thread_ids.h"
#include "browse/thread_subject.h"
#include "browse/threads.h"

namespace tessaly {
namespace {

// A row named `name` (its path), with headers given as written.
CatalogueRow mail(const std::string& name, int64_t date, const std::string& id, const std::string& references = "",
                  const std::string& inReplyTo = "", const std::string& subject = "Topic",
                  const std::string& threadId = "") {
    CatalogueRow row;
    row.path = name;
    row.date = date;
    row.messageId = id;
    row.references = references;
    row.inReplyTo = inReplyTo;
    row.subject = subject;
    row.threadId = threadId;
    return row;
}

// Threads as "name:depth name:depth | ...", newest thread first.
std::string shape(const std::vector<CatalogueRow>& rows) {
    std::string out;
    for (const Thread& thread : buildThreads(rows)) {
        if (!out.empty()) out += " | ";
        for (size_t i = 0; i < thread.messages.size(); ++i) {
            if (i > 0) out += ' ';
            out += rows[thread.messages[i].row].path + ":" + std::to_string(thread.messages[i].depth);
        }
    }
    return out;
}

struct ThreadCase {
    const char* why;
    std::vector<CatalogueRow> rows;
    const char* expected;
};

TEST(Threads, BuildsTheExpectedTrees) {
    const std::vector<ThreadCase> cases = {
        {"replies arrive before what they answer",
         {mail("c", 30, "<c@x>", "<a@x> <b@x>"), mail("a", 10, "<a@x>"), mail("b", 20, "<b@x>", "<a@x>")},
         "a:0 b:1 c:2"},
        {"siblings by date, each subtree depth first",
         {mail("a", 10, "<a@x>"), mail("b2", 40, "<b2@x>", "<a@x>"), mail("b1", 20, "<b1@x>", "<a@x>"),
          mail("c1", 30, "<c1@x>", "<a@x> <b1@x>")},
         "a:0 b1:1 c1:2 b2:1"},
        {"In-Reply-To alone names the parent",
         {mail("a", 10, "<a@x>"), mail("b", 20, "<b@x>", "", "<a@x>")},
         "a:0 b:1"},
        {"References without blanks or with junk around the ids",
         {mail("a", 10, "<a@x>"), mail("b", 20, "<b@x>", "(comment) <z@x><a@x>")},
         "a:0 b:1"},
        {"ids without brackets match ids with them",
         {mail("a", 10, "a@x"), mail("b", 20, "<b@x>", "a@x")},
         "a:0 b:1"},
        {"replies to a message that is not archived stay one thread",
         {mail("b", 20, "<b@x>", "<gone@x>"), mail("c", 30, "<c@x>", "<gone@x>")},
         "b:0 c:0"},
        {"a missing message in the middle is left out, its reply moves up",
         {mail("a", 10, "<a@x>"), mail("c", 30, "<c@x>", "<a@x> <gone@x>")},
         "a:0 c:1"},
        {"a cycle in References is cut above its oldest message",
         {mail("a", 10, "<a@x>", "<b@x>"), mail("b", 20, "<b@x>", "<a@x>")},
         "a:0 b:1"},
        {"a longer cycle through empty containers",
         {mail("a", 10, "<a@x>", "<m@x> <b@x>"), mail("b", 20, "<b@x>", "<n@x> <a@x>"),
          mail("c", 30, "<c@x>", "<b@x> <m@x>")},
         "a:0 b:1 c:2"},
        {"a message naming itself is no reply to itself",
         {mail("a", 10, "<a@x>", "<a@x>", "<a@x>"), mail("b", 20, "<b@x>", "<a@x> <b@x>")},
         "a:0 b:1"},
        {"a duplicated Message-ID: replies go to the first, the second stands alone",
         {mail("dup2", 50, "<d@x>", "", "", "Other"), mail("dup1", 10, "<d@x>"), mail("r", 20, "<r@x>", "<d@x>")},
         "dup2:0 | dup1:0 r:1"},
        {"the same subject in threads with their own ids stays apart",
         {mail("a", 10, "<a@x>", "", "", "Lunch"), mail("b", 20, "<b@x>", "", "", "Lunch"),
          mail("ra", 30, "<ra@x>", "<a@x>", "", "Re: Lunch")},
         "a:0 ra:1 | b:0"},
        {"Gmail thread ids join rows whatever their headers",
         {mail("a", 10, "<a@x>", "", "", "One", "77"), mail("b", 20, "<b@x>", "", "", "Two", "77"),
          mail("c", 30, "<c@x>", "", "", "Three", "78")},
         "c:0 | a:0 b:0"},
        {"Gmail thread ids do not merge by subject",
         {mail("a", 10, "<a@x>", "", "", "Lunch", "1"), mail("b", 20, "<b@x>", "", "", "Re: Lunch", "2")},
         "b:0 | a:0"},
        {"mail without ids groups by subject, replies under the original",
         {mail("r2", 30, "", "", "", "RE: [team] lunch"), mail("o", 10, "", "", "", "Lunch"),
          mail("r1", 20, "", "", "", "Re: Re: Lunch")},
         "o:0 r1:1 r2:1"},
        {"a reply without ids joins the id thread of its subject begun last before it",
         {mail("old", 10, "<o@x>", "", "", "Report"), mail("new", 100, "<n@x>", "", "", "Report"),
          mail("r", 110, "<r@x>", "", "", "AW: Report")},
         "new:0 r:1 | old:0"},
        {"only replies without ids: siblings",
         {mail("r1", 10, "", "", "", "Re: Party"), mail("r2", 20, "", "", "", "Fwd: Party")},
         "r1:0 r2:0"},
        {"empty subjects never group",
         {mail("a", 10, "", "", "", ""), mail("b", 20, "", "", "", "Re:")},
         "b:0 | a:0"},
        {"threads newest activity first, not by their start",
         {mail("a", 10, "<a@x>", "", "", "A"), mail("b", 20, "<b@x>", "", "", "B"),
          mail("a2", 30, "<a2@x>", "<a@x>", "", "Re: A")},
         "a:0 a2:1 | b:0"},
    };
    for (const ThreadCase& c : cases) EXPECT_EQ(shape(c.rows), c.expected) << c.why;
}

TEST(Threads, EmptyAndBlankRows) {
    EXPECT_TRUE(buildThreads({}).empty());
    const std::vector<CatalogueRow> blank(3);
    const auto threads = buildThreads(blank);
    size_t total = 0;
    for (const Thread& t : threads) total += t.messages.size();
    EXPECT_EQ(total, 3u);
}

// The same set in any order gives the same threads.
TEST(Threads, IndependentOfInputOrder) {
    std::vector<CatalogueRow> rows;
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        const std::string id = "<m" + std::to_string(i) + "@x>";
        std::string refs;
        if (i % 3) refs = "<m" + std::to_string(random() % (i + 1)) + "@x> <m" + std::to_string(random() % 400) + "@x>";
        // Equal dates and subjects, a few shared ids and Gmail ids.
        rows.push_back(mail("p" + std::to_string(i), 1000 + i % 7, i % 50 == 0 ? "<m1@x>" : id, refs, "",
                            "Re: subject " + std::to_string(i % 5), i % 11 == 0 ? std::to_string(i % 3) : ""));
        if (i % 17 == 0) rows.back().messageId.clear();
    }
    const std::string expected = shape(rows);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(rows.begin(), rows.end(), random);
        EXPECT_EQ(shape(rows), expected) << "round " << round;
    }
}

// Replies nested as deep as the folder is large, each naming only its
// parent: no recursion, and no walk up the chain per message.
TEST(Threads, DeepChainsAndEveryRowOnce) {
    std::vector<CatalogueRow> rows;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        rows.push_back(mail(std::to_string(i), i, "<" + std::to_string(i) + ">",
                            i ? "<" + std::to_string(i - 1) + ">" : std::string()));
    }
    std::reverse(rows.begin(), rows.end());
    const auto threads = buildThreads(rows);
    ASSERT_EQ(threads.size(), 1u);
    ASSERT_EQ(threads[0].messages.size(), size_t(n));
    EXPECT_EQ(threads[0].messages.back().depth, size_t(n - 1));
    EXPECT_EQ(threads[0].first, 0);
    EXPECT_EQ(threads[0].last, n - 1);
}

TEST(ThreadSubject, TakesAwayPrefixesAndTags) {
    struct Case {
        const char* subject;
        const char* key;
        bool reply;
    };
    const Case cases[] = {
        {"Lunch", "lunch", false},
        {"  Re:  Lunch   plans ", "lunch plans", true},
        {"RE: Re: re:Lunch", "lunch", true},
        {"Re[2]: Lunch", "lunch", true},       // counted reply
        {"Re(3): Lunch", "lunch", true},
        {"Re^2: Lunch", "lunch", true},
        {"Fwd: FW: Lunch", "lunch", true},
        {"AW: WG: Lunch", "lunch", true},      // German
        {"SV: VS: Lunch", "lunch", true},      // Nordic
        {"Antw: Lunch", "lunch", true},        // Dutch
        {"R\xC3\xA9" "f : Lunch", "lunch", true},  // French, blank before the colon
        {"\xE5\x9B\x9E\xE5\xA4\x8D\xEF\xBC\x9A Lunch", "lunch", true},  // Chinese, full-width colon
        {"[team] Re: [team] Lunch", "lunch", true},
        {"[team]", "[team]", false},           // a tag alone is the subject
        {"Lunch (fwd)", "lunch", true},
        {"Research: results", "research: results", false},  // a word starting like a prefix
        {"Re[x]: odd", "re[x]: odd", false},   // no counter
        {"Re:", "", true},
        {"", "", false},
    };
    for (const Case& c : cases) {
        const ThreadSubject s = threadSubject(c.subject);
        EXPECT_EQ(s.key, c.key) << c.subject;
        EXPECT_EQ(s.reply, c.reply) << c.subject;
    }
}

TEST(MessageIds, SplitsHeaderTexts) {
    struct Case {
        const char* text;
        std::vector<std::string_view> ids;
    };
    const Case cases[] = {
        {"<a@x> <b@y>", {"a@x", "b@y"}},
        {"<a@x><b@y>", {"a@x", "b@y"}},                   // no blank between
        {"  <a@x>\r\n\t<b@y>  ", {"a@x", "b@y"}},          // folded
        {"(Alice's message of ...) <a@x>", {"a@x"}},      // comment around
        {"<> <a@x>", {"a@x"}},                            // empty id
        {"<broken <a@x>", {"a@x"}},                       // unclosed bracket
        {"<a@x", {}},
        {"a@x b@y", {"a@x", "b@y"}},                      // bare ids
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(messageIds(c.text), c.ids) << c.text;
}

}  // namespace
}  // namespace tessaly
