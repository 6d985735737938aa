// run_test.cpp - the run record: resets, progress, stop requests, problem log.
#include "app/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

struct Shown {
    std::string text1;
    double fraction1;
    std::string text2;
    double fraction2;
};

TEST(Ratio, DividesAndTreatsZeroAsFull) {
    EXPECT_DOUBLE_EQ(ratio(1, 4), 0.25);
    EXPECT_DOUBLE_EQ(ratio(7, 0), 1.0);  // a folder with no messages shows a full bar
    EXPECT_DOUBLE_EQ(ratio(0, 0), 1.0);
}

TEST(ArchiveRun, SecondRunStartsFromZeroAndForgetsTheStop) {
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, nullptr);
    run.startFolder("Inbox");
    run.startMessage();
    run.messageHadProblem = true;
    run.finishMessage();
    run.duplicateCount = 3;
    run.byteCount = 99;
    run.stopRequested = true;
    run.endRun();
    EXPECT_TRUE(run.stopRequested);  // kept for the finish page
    EXPECT_EQ(run.problemCount, 1u);

    run.beginRun(nullptr, nullptr, nullptr);
    EXPECT_FALSE(run.stopRequested);
    EXPECT_TRUE(run.running);
    EXPECT_EQ(run.folderCount + run.messageCount + run.folderMessageCount + run.duplicateCount +
                  run.problemCount + run.byteCount,
              0u);
    EXPECT_TRUE(run.currentFolderName.empty());
}

TEST(ArchiveRun, FolderStartResetsPerFolderCounters) {
    ArchiveRun run;
    run.folderMessageCount = run.folderOfflineCount = 4;
    run.folderAlreadyArchivedCount = run.folderDuplicateCount = 2;
    run.startFolder("Sent");
    EXPECT_EQ(run.folderCount, 1u);
    EXPECT_EQ(run.currentFolderName, "Sent");
    EXPECT_EQ(run.folderMessageCount + run.folderOfflineCount + run.folderAlreadyArchivedCount +
                  run.folderDuplicateCount,
              0u);
}

TEST(ArchiveRun, ProgressIsShownThenStoredAndHiddenAtTheEnd) {
    std::vector<Shown> shown;
    ArchiveRun run;
    run.beginRun(
        nullptr,
        [&](const std::string& t1, double f1, const std::string& t2, double f2) {
            shown.push_back({t1, f1, t2, f2});
        },
        nullptr);
    run.setProgress("Overall", 0.5, "Inbox", 0.25);
    run.setStepText("Decoding");
    EXPECT_TRUE(run.stepProgress(0.75));   // step text with the new fraction, nothing stored
    EXPECT_TRUE(run.stepProgress(-1));     // the stored state again
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text2, "Decoding");
    EXPECT_DOUBLE_EQ(shown[1].fraction2, 0.75);
    EXPECT_EQ(shown[2].text2, "Inbox");
    EXPECT_DOUBLE_EQ(shown[2].fraction2, 0.25);
    EXPECT_EQ(run.progressText2, "Inbox");

    run.stopRequested = true;
    EXPECT_FALSE(run.stepProgress(0.9));  // a stop ends long decodings
    EXPECT_EQ(shown.size(), 3u);

    run.endRun();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_DOUBLE_EQ(shown[3].fraction1, -1);
    EXPECT_FALSE(run.running);
}

TEST(ArchiveRun, StepProgressWithoutSinkGoesOn) {
    ArchiveRun run;
    EXPECT_TRUE(run.stepProgress(0.5));
}

TEST(ArchiveRun, ProblemsGoToTheLogSinkOnlyWhenThereIsOne) {
    ArchiveRun run;
    run.logProblem("dropped");  // no sink: nothing happens
    std::vector<std::string> lines;
    run.beginRun(nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); });
    run.logProblem("Error: x");
    EXPECT_EQ(lines, std::vector<std::string>{"Error: x"});
}

TEST(ArchiveRun, QuitSeenWhilePumpingRequestsStopAndQuitThenPumpsNoMore) {
    ArchiveRun run;
    int pumped = 0;
    run.messagePump = [&] {
        ++pumped;
        return pumped < 2;  // the second pump meets the quit message
    };
    run.beginRun(nullptr, nullptr, nullptr);
    run.pumpMessages();
    EXPECT_FALSE(run.stopRequested);
    run.pumpMessages();
    EXPECT_TRUE(run.stopRequested);
    EXPECT_TRUE(run.quitRequested);
    run.pumpMessages();
    EXPECT_EQ(pumped, 2);
}

TEST(ArchiveRun, NoPumpingWhileAStoppedRunWindsDown) {
    ArchiveRun run;
    int pumped = 0;
    run.messagePump = [&] { return ++pumped, true; };
    run.beginRun(nullptr, nullptr, nullptr);
    run.stopRequested = true;
    run.pumpMessages();
    EXPECT_EQ(pumped, 0);
    run.endRun();
    run.pumpMessages();  // idle again: the window stays responsive
    EXPECT_EQ(pumped, 1);
}

// Every line names the folder and message it is about, in one form, and
// only the lines about a message count it among the messages with problems.
TEST(ArchiveRun, ProblemLinesNameTheirMessageAndCountItOnce) {
    ArchiveRun run;
    std::vector<std::string> lines;
    run.beginRun(nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); });
    run.startFolder("Inbox/");
    run.startMessage();
    run.setMessageText("Mon - Ann - Hi - ");
    run.messageNote("Warning: a", ", tail.");
    EXPECT_FALSE(run.messageHadProblem);
    run.messageProblem("Error: b");
    run.messageProblem("Error: c");
    run.folderProblem("Error: d");
    run.runProblem("Error: e");
    EXPECT_EQ(run.messageWhere(), "Inbox/Mon - Ann - Hi - ");
    const MessageRef first = run.currentMessage();
    run.finishMessage();
    EXPECT_EQ(lines, (std::vector<std::string>{"Warning: a (Inbox/Mon - Ann - Hi - ), tail.",
                                               "Error: b (Inbox/Mon - Ann - Hi - )",
                                               "Error: c (Inbox/Mon - Ann - Hi - )", "Error: d (Inbox/)",
                                               "Error: e"}));
    EXPECT_EQ(run.problemCount, 1u);

    // A message that fails after the job moved on keeps its own description,
    // and counts only when it had no problem before.
    run.startMessage();
    run.setMessageText("Tue - Bob - Re - ");
    const MessageRef second = run.currentMessage();
    run.finishMessage();
    run.startMessage();
    run.lateMessageProblem(first, "Error: f");
    run.lateMessageProblem(second, "Error: g");
    EXPECT_EQ(lines[5], "Error: f (Inbox/Mon - Ann - Hi - )");
    EXPECT_EQ(lines[6], "Error: g (Inbox/Tue - Bob - Re - )");
    EXPECT_EQ(run.problemCount, 2u);
    EXPECT_FALSE(run.messageHadProblem);  // the message now being archived is untouched
}

TEST(ArchiveRun, SkippedMessagesAreCountedPerRunAndPerFolder) {
    ArchiveRun run;
    run.startFolder("Inbox/");
    EXPECT_EQ(run.countSkipped(Skipped::Duplicate), 1u);
    EXPECT_EQ(run.countSkipped(Skipped::Duplicate), 2u);
    EXPECT_EQ(run.countSkipped(Skipped::Offline), 1u);
    run.startFolder("Sent/");
    EXPECT_EQ(run.countSkipped(Skipped::Duplicate), 1u);
    EXPECT_EQ(run.countSkipped(Skipped::AlreadyArchived), 1u);
    EXPECT_EQ(run.duplicateCount, 3u);
    EXPECT_EQ(run.offlineCount, 1u);
    EXPECT_EQ(run.alreadyArchivedCount, 1u);
    run.addBytes((uint64_t{1} << 32) + 5);  // mailboxes can hold more than 4 GiB
    EXPECT_EQ(run.byteCount, (uint64_t{1} << 32) + 5);
}

// A folder whose every message fails the same way shows twenty lines of it,
// the last saying so, and one count when the folder ends; other kinds of
// line, other folders and the count of problems are not affected.
TEST(ArchiveRun, TwentyLinesOfAKindPerFolderThenOneCount) {
    std::vector<std::string> lines;
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); });
    run.startFolder("Inbox/");
    for (int i = 0; i < 25; ++i) {
        run.startMessage();
        run.setMessageText("m" + std::to_string(i));
        run.messageProblem("Error: <a href=\"help:err_create.html\">unable to create file</a> m - No space");
        if (i == 22) run.messageNote("Warning: <a href=\"help:err_filetime.html\">unable to set filetime</a> - x");
        run.finishMessage();
    }
    run.startFolder("Sent/");
    run.startMessage();
    run.setMessageText("s");
    run.messageProblem("Error: <a href=\"help:err_create.html\">unable to create file</a> s - No space");
    run.finishMessage();
    run.endRun();

    EXPECT_EQ(run.problemCount, 26u);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[18], "Error: <a href=\"help:err_create.html\">unable to create file</a> m - No space (Inbox/m18)");
    EXPECT_EQ(lines[19], "Error: <a href=\"help:err_create.html\">unable to create file</a> m - No space (Inbox/m19)"
                         " Further errors of this type won't be reported for this folder.");
    EXPECT_EQ(lines[20], "Warning: <a href=\"help:err_filetime.html\">unable to set filetime</a> - x (Inbox/m22)");
    EXPECT_EQ(lines[21], "Error: <a href=\"help:err_create.html\">unable to create file</a> - 5 more lines of this "
                         "type not shown (Inbox/)");
    EXPECT_EQ(lines[22], "Error: <a href=\"help:err_create.html\">unable to create file</a> s - No space (Sent/s)");
}

TEST(ProblemLog, GrowsToTwiceTheNeedButAtLeast2048) {
    ProblemLog log;
    log.append("<p>x</p>\r\n");
    EXPECT_EQ(log.capacity(), 2048u);
    EXPECT_EQ(log.view(), "<p>x</p>\r\n");

    ProblemLog big;
    big.append(std::string(2047, 'a'));  // 2047 + 1 is not below 2048: grows to 2 x 2047
    EXPECT_EQ(big.capacity(), 4094u);
    big.append(std::string(2045, 'b'));  // 4092 + 1 is below 4094: storage kept
    EXPECT_EQ(big.capacity(), 4094u);
    big.append("c");  // 4093 + 1 is not: grows to 8186, content kept
    EXPECT_EQ(big.capacity(), 8186u);
    EXPECT_EQ(big.size(), 4093u);
    EXPECT_EQ(big.view().substr(2046, 2), "ab");
    EXPECT_EQ(big.view().back(), 'c');

    big.clear();
    EXPECT_TRUE(big.empty());
    EXPECT_EQ(big.capacity(), 8186u);
}

}  // namespace
}  // namespace tessaly
