// progress_counts_test.cpp - the counts under the progress bars: sizes,
// rates and time left, and nothing silly before they mean anything.
#include "app/progress_counts.h"

#include <gtest/gtest.h>

#include "app/run.h"

namespace tessaly {
namespace {

TEST(ByteSizeText, DecimalUnitsWithOneFigureAfterThePoint) {
    EXPECT_EQ(byteSizeText(0), "0 bytes");
    EXPECT_EQ(byteSizeText(1), "1 byte");
    EXPECT_EQ(byteSizeText(999), "999 bytes");
    EXPECT_EQ(byteSizeText(1000), "1.0 kB");
    EXPECT_EQ(byteSizeText(12'345'678), "12.3 MB");
    EXPECT_EQ(byteSizeText(999'960), "1.0 MB");  // not "1000.0 kB"
    EXPECT_EQ(byteSizeText(4'000'000'000), "4.0 GB");
    EXPECT_EQ(byteSizeText(UINT64_MAX), "18.4 EB");
}

TEST(TimeLeftText, RoundsToWhatAPersonWouldSay) {
    EXPECT_EQ(timeLeftText(0), "less than a minute left");
    EXPECT_EQ(timeLeftText(59), "less than a minute left");
    EXPECT_EQ(timeLeftText(80), "about a minute left");
    EXPECT_EQ(timeLeftText(125), "about 2 minutes left");
    EXPECT_EQ(timeLeftText(89 * 60), "about 89 minutes left");
    EXPECT_EQ(timeLeftText(3 * 3600), "about 3 hours left");
    EXPECT_EQ(timeLeftText(5 * 86400), "about 5 days left");
    // No estimate rather than a wrong one.
    EXPECT_EQ(timeLeftText(-1), "");
    EXPECT_EQ(timeLeftText(1.0 / 0.0), "");
    EXPECT_EQ(timeLeftText(0.0 / 0.0), "");
}

TEST(DescribeProgress, SaysWhatTheCountsMeanAndNothingBeforeTheyMeanIt) {
    struct Row {
        const char* why;
        ProgressCounts counts;
        ProgressLines expected;
    };
    const Row rows[] = {
        {"totals announced; 11.1 MB to go at 120 kB/s is 92.5 s, told by the bytes rather than the messages",
         {.messagesDone = 12, .messagesTotal = 300, .bytesDone = 1'200'000, .bytesTotal = 12'300'000,
          .elapsedMs = 10'000},
         {"12 of 300 messages", "1.2 MB of 12.3 MB", "120.0 kB/s", "about 2 minutes left"}},
        {"no totals: counts alone, no estimate",
         {.messagesDone = 1, .bytesDone = 2500, .elapsedMs = 5000},
         {"1 message", "2.5 kB", "500 bytes/s", ""}},
        {"messages known, bytes not: 600 to go at 2 a second",
         {.messagesDone = 10, .messagesTotal = 610, .elapsedMs = 5000},
         {"10 of 610 messages", "", "", "about 5 minutes left"}},
        {"a slow first message: nothing done yet, no rate of nothing",
         {.messagesTotal = 300, .bytesTotal = 5'000'000, .elapsedMs = 60'000},
         {"0 of 300 messages", "0 bytes of 5.0 MB", "", ""}},
        {"the first moments: the rate would jump about",
         {.messagesDone = 3, .messagesTotal = 300, .bytesDone = 4000, .elapsedMs = 300},
         {"3 of 300 messages", "4.0 kB", "", ""}},
        {"more than announced (a file that grew) is not shown as of the total",
         {.messagesDone = 301, .messagesTotal = 300, .bytesDone = 6'000'000, .bytesTotal = 5'000'000,
          .elapsedMs = 10'000},
         {"301 messages", "6.0 MB", "600.0 kB/s", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const ProgressLines lines = describeProgress(row.counts);
        EXPECT_EQ(lines.messages, row.expected.messages);
        EXPECT_EQ(lines.bytes, row.expected.bytes);
        EXPECT_EQ(lines.rate, row.expected.rate);
        EXPECT_EQ(lines.timeLeft, row.expected.timeLeft);
    }
}

TEST(ProgressCounts, ReadsTheRunAndForgetsTheLastRunsTotals) {
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, nullptr);
    run.expectMessages(40);
    run.expectBytes(9000);
    run.startFolder("Inbox/");
    run.startMessage();
    run.addBytes(300);
    ProgressCounts c = progressCounts(run, run.startTicks + 1500);
    EXPECT_EQ(c.messagesDone, 1u);
    EXPECT_EQ(c.messagesTotal, 40u);
    EXPECT_EQ(c.bytesDone, 300u);
    EXPECT_EQ(c.bytesTotal, 9000u);
    EXPECT_EQ(c.elapsedMs, 1500u);
    run.endRun();

    run.beginRun(nullptr, nullptr, nullptr);
    c = progressCounts(run, run.startTicks);
    EXPECT_EQ(c.messagesTotal, 0u);
    EXPECT_EQ(c.bytesTotal, 0u);
    // The tick count wraps; the elapsed time does not go negative.
    run.startTicks = 0xFFFFFF00u;
    EXPECT_EQ(progressCounts(run, 0x100).elapsedMs, 0x200u);
}

}  // namespace
}  // namespace tessaly
