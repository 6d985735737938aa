// finish_stats_test.cpp - the finish page's numbers and summary lines.
#include "app/finish_stats.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(NumberTexts, SizesDurationsAndTenths) {
    EXPECT_EQ(sizeText(0), "0 bytes");
    EXPECT_EQ(sizeText(1023), "1023 bytes");
    EXPECT_EQ(sizeText(1536), "1.5k");
    EXPECT_EQ(sizeText(10239), "9.9k");   // truncated, never rounded up
    EXPECT_EQ(sizeText(10240), "10k");
    EXPECT_EQ(sizeText(1024 * 1024 + 512 * 1024), "1.5Mb");
    EXPECT_EQ(sizeText(4294967295u), "4095Mb");
    EXPECT_EQ(durationText(999), "999ms");
    EXPECT_EQ(durationText(2500), "2.5s");
    EXPECT_EQ(durationText(9999), "9.9s");
    EXPECT_EQ(durationText(10000), "10 secs");
    EXPECT_EQ(tenthsText(57), "5.7");
    EXPECT_EQ(tenthsText(123), "12");
    EXPECT_EQ(tenthsText(105), "11");  // rounded from 10 up
    EXPECT_EQ(countPhrase(0, " folder", " folders"), "0 folders");
    EXPECT_EQ(countClause(0, " was", " were"), "");
}

TEST(FinishSummary, EmptyRunHasPluralsNoOfWhichAndNoRates) {
    ArchiveRun run;
    EXPECT_EQ(finishSummaryHtml(run),
              "<p style=\"margin-bottom: 1ex;\">Archiving is finished.</p>"
              "<p style=\"margin-top: 1ex; margin-bottom: 1ex; margin-left: 3ex;\">\r\n"
              "0 folders<br>\r\n0 messages total<br>\r\n0 bytes in 0ms</p>\r\n\r\n");
}

TEST(FinishSummary, SingularsCountsAndRates) {
    ArchiveRun run;
    run.stopRequested = true;
    run.folderCount = 1;
    run.messageCount = 1;
    run.duplicateCount = 1;
    run.alreadyArchivedCount = 2;
    run.problemCount = 1;
    run.byteCount = 1536;
    run.elapsedMs = 2500;
    EXPECT_EQ(finishSummaryHtml(run),
              "<p style=\"margin-bottom: 1ex;\">Archiving was stopped.</p>"
              "<p style=\"margin-top: 1ex; margin-bottom: 1ex; margin-left: 3ex;\">\r\n"
              "1 folder<br>\r\n1 message total, of which<br>\r\n"
              "1 was a <a href=\"help:done.html\">duplicate</a><br>\r\n"
              "2 were <a href=\"help:done.html\">already in the archive</a><br>\r\n"
              "1 caused problems (see below)<br>\r\n"
              "1.5k in 2.5s<br>\r\n614 bytes/sec, 0.4 msgs/sec</p>\r\n\r\n");
}

TEST(FinishSummary, RatesOfAVeryShortRunStayInRange) {
    ArchiveRun run;
    run.byteCount = 4000000000u;
    run.messageCount = 4000000000u;
    run.elapsedMs = 1;
    EXPECT_NE(finishSummaryHtml(run).find("4095Mb/sec, 429496730 msgs/sec"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
