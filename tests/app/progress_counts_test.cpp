// progress_counts_test.cpp - the counts under the progress bars: sizes,
// rates and time left, and nothing silly before they mean anything.
#include "app/progress_counts.h"

#include <gtest/gtest.h>

#include "app/run.h"

namespace tessaly {
namespace {

TEST(SizeText, DecimalUnitsWithOneFigureAfterThePoint) {
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

TEST(DescribeProgress, CountsAgainstTheTotalsTheJobAnnounced) {
    ProgressCounts c;
    c.messagesDone = 12;
    c.messagesTotal = 300;
    c.bytesDone = 1'200'000;
    c.bytesTotal = 12'300'000;
    c.elapsedMs = 10'000;
    const ProgressLines lines = describeProgress(c);
    EXPECT_EQ(lines.messages, "12 of 300 messages");
    EXPECT_EQ(lines.bytes, "1.2 MB of 12.3 MB");
    EXPECT_EQ(lines.rate, "120.0 kB/s");
    // 11.1 MB at 120 kB/s: 92.5 s, by the bytes rather than the messages
    EXPECT_EQ(lines.timeLeft, "about 2 minutes left");
}

TEST(DescribeProgress, UnknownTotalsShowCountsAlone) {
    ProgressCounts c;
    c.messagesDone = 1;
    c.bytesDone = 2500;
    c.elapsedMs = 5000;
    const ProgressLines lines = describeProgress(c);
    EXPECT_EQ(lines.messages, "1 message");
    EXPECT_EQ(lines.bytes, "2.5 kB");
    EXPECT_EQ(lines.rate, "500 bytes/s");
    EXPECT_EQ(lines.timeLeft, "");
}

TEST(DescribeProgress, MessagesTellTheTimeWhenBytesCannot) {
    ProgressCounts c;
    c.messagesDone = 10;
    c.messagesTotal = 610;  // 600 to go at 2 a second
    c.elapsedMs = 5000;
    const ProgressLines lines = describeProgress(c);
    EXPECT_EQ(lines.bytes, "");
    EXPECT_EQ(lines.rate, "");
    EXPECT_EQ(lines.timeLeft, "about 5 minutes left");
}

TEST(DescribeProgress, NoRateOrEstimateBeforeTheyMeanAnything) {
    ProgressCounts c;
    c.messagesTotal = 300;
    c.bytesTotal = 5'000'000;
    c.elapsedMs = 60'000;  // a slow first message: nothing done yet
    ProgressLines lines = describeProgress(c);
    EXPECT_EQ(lines.messages, "0 of 300 messages");
    EXPECT_EQ(lines.bytes, "0 bytes of 5.0 MB");
    EXPECT_EQ(lines.rate, "");
    EXPECT_EQ(lines.timeLeft, "");

    c.messagesDone = 3;
    c.bytesDone = 4000;
    c.elapsedMs = 300;  // the first moments: the rate would jump about
    lines = describeProgress(c);
    EXPECT_EQ(lines.rate, "");
    EXPECT_EQ(lines.timeLeft, "");
}

TEST(DescribeProgress, MoreThanAnnouncedIsNotShownAsOfTheTotal) {
    ProgressCounts c;
    c.messagesDone = 301;
    c.messagesTotal = 300;
    c.bytesDone = 6'000'000;
    c.bytesTotal = 5'000'000;
    c.elapsedMs = 10'000;
    const ProgressLines lines = describeProgress(c);
    EXPECT_EQ(lines.messages, "301 messages");
    EXPECT_EQ(lines.bytes, "6.0 MB");
    EXPECT_EQ(lines.timeLeft, "");
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
