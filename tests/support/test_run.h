// test_run.h - archiving in tests as the front ends do it: the real run
// record with its problem lines collected, jobs run through the run driver,
// and an open target folder for tests of the per-message step.
#pragma once

#include <string>
#include <vector>

#include "app/run.h"
#include "app/run_driver.h"
#include "archive/archive_writer.h"

namespace tessaly::test {

struct TestRun {
    ArchiveRun run;
    std::vector<std::string> lines;

    // A log sink that appends each problem line to `lines`.
    ArchiveRun::LogSink collect();
    // Begins the run with that sink and no progress display.
    void begin();
    // The request's whole run, through the run driver.
    void drive(const JobRequest& request, ArchiveRun::ProgressSink progress = nullptr);
    // A run of the mailbox or DBX job over `entries`.
    void archive(SourceKind source, const std::vector<TDbxFolderInfo>& entries, const std::string& archiveFolder,
                 bool html = true, bool subfolders = true);
};

// The Outlook job over the ticked folders of the open store.
JobRequest outlookRequest(const std::vector<std::string>& folders, const std::string& archiveFolder,
                          bool html = true, bool subfolders = true);

// A begun run, a writer over `root` and its target folder for the source
// folder `folderPath`, named `folderName` on the pages; the run is in the
// folder "Inbox/". Pages go to the root unless `subfolders`.
struct TestFolder {
    TestFolder(const std::string& root, bool html, const std::string& folderPath = "",
               const std::string& folderName = "Inbox", bool subfolders = false);

    TestRun test;
    ArchiveRun& run;
    ArchiveWriter writer;
    TargetFolder& target;

    // One message with its markers, between startMessage and finishMessage.
    void archive(const std::string& text, const std::vector<TMarker>& markers, bool normalizeLineEnds = true);
    // Puts the waiting messages in place.
    void commit() { writer.batch().commit(); }
    // Puts them in place and closes the folder: the staged files made ahead
    // for it go too.
    void close() { writer.closeFolder(); }
};

// Each message of the mailbox text `box` through the folder's per-message
// step, as the mailbox job hands them on.
void archiveMailbox(TestFolder& folder, const std::string& box);

// The messages (each with its header block first) archived into `root` as a
// mailbox of them would be, as pages or EML files; returns the problem
// lines, one a line.
std::string archiveMessages(const std::string& messages, const std::string& root, bool html = true);

}  // namespace tessaly::test
