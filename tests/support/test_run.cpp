// test_run.cpp - archiving runs for the tests.
#include "support/test_run.h"

#include <algorithm>
#include <utility>

#include "sources/mailbox.h"

namespace tessaly::test {

ArchiveRun::LogSink TestRun::collect() {
    return [this](const std::string& line) { lines.push_back(line); };
}

void TestRun::begin() { run.beginRun(nullptr, nullptr, collect()); }

void TestRun::drive(const JobRequest& request, ArchiveRun::ProgressSink progress) {
    RunSinks sinks;
    sinks.log = collect();
    sinks.progress = std::move(progress);
    driveRun(run, request, std::move(sinks));
}

void TestRun::archive(SourceKind source, const std::vector<TDbxFolderInfo>& entries,
                      const std::string& archiveFolder, bool html, bool subfolders) {
    JobRequest request;
    request.source = source;
    request.files = entries;
    request.archiveFolder = archiveFolder;
    request.format = html ? OutputFormat::Html : OutputFormat::Eml;
    request.useSubfolders = subfolders;
    drive(request);
}

JobRequest outlookRequest(const std::vector<std::string>& folders, const std::string& archiveFolder, bool html,
                          bool subfolders) {
    JobRequest request;
    request.source = SourceKind::Outlook;
    request.outlookFolders = folders;
    request.archiveFolder = archiveFolder;
    request.format = html ? OutputFormat::Html : OutputFormat::Eml;
    request.useSubfolders = subfolders;
    return request;
}

namespace {

ArchiveRun& begun(TestRun& test) {
    test.begin();
    test.run.startFolder("Inbox/");
    return test.run;
}

}  // namespace

TestFolder::TestFolder(const std::string& root, bool html, const std::string& folderPath,
                       const std::string& folderName, bool subfolders)
    : run(begun(test)),
      writer(run, run.decoder, {root, html ? OutputFormat::Html : OutputFormat::Eml, subfolders}),
      target(writer.openFolder(folderPath, folderName)) {}

void TestFolder::archive(const std::string& text, const std::vector<TMarker>& markers, bool normalizeLineEnds) {
    run.startMessage();
    target.archiveRawMessage(text.data(), text.size(), markers, normalizeLineEnds);
    run.finishMessage();
}

void archiveMailbox(TestFolder& folder, const std::string& box) {
    MailboxScanEvents events;
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        const char* body = std::find(start, end, '\n') + 1;
        folder.run.startMessage();
        folder.target.archiveRawMessage(body, static_cast<size_t>(end - body), markers, true);
        folder.run.finishMessage();
    };
    scanMailbox(box.data(), box.data() + box.size(), events);
}

std::string archiveMessages(const std::string& messages, const std::string& root, bool html) {
    std::string problems;
    TestFolder folder(root, html);
    archiveMailbox(folder, "From archive@example.com Thu Sep  5 14:30:07 2002\n" + messages);
    folder.writer.closeFolder();
    folder.run.endRun();
    for (const std::string& line : folder.test.lines) problems += line + "\n";
    return problems;
}

}  // namespace tessaly::test
