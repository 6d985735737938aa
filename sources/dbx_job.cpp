// dbx_job.cpp - archives the messages of Outlook Express folder files.
#include "sources/dbx_job.h"

#include <algorithm>

#include "archive/commit_batch.h"
#include "archive/duplicates.h"
#include "archive/raw_message.h"
#include "message/text.h"
#include "sources/boundary_line.h"
#include "sources/dbx.h"
#include "sources/mailbox.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

const char kOverall[] = "Overall";

void logDamage(ArchiveRun& run, const DbxException& e) {
    run.logProblem("Error: <a href=\"help:err_dbxfile.html\">damaged dbx file</a> - " +
                   htmlEscape(e.message()) + " (" + run.currentFolderName + run.currentMessageText + ")");
    run.messageHadProblem = true;
}

// One message record: offline report, or text, markers and the archiving step.
void archiveDbxMessage(ArchiveRun& run, imemfile& file, const DbxTree& tree, uint32_t i,
                       const TDbxFolderInfo& entry, const TargetFolder& target,
                       const std::string& archiveFolder, bool useSubfolders, double startFraction,
                       uint64_t totalBytes) {
    const DbxMessageInfo record(file.view(), tree.valueAt(i));
    const uint32_t address = record.valueAsInteger(kDbxMessageAddress);
    if (address == 0) {
        const unsigned who = entry.kind == 2 || entry.kind == 3 ? kDbxMessageReceiverName
                                                                : kDbxMessageSenderName;
        run.currentMessageText = htmlEscape(record.valueAsText(who) + " - " +
                                            record.valueAsText(kDbxMessageOriginalSubject));
        reportOffline(run);
        return;
    }

    const DbxMessage message(file, address);
    const char* text = message.text();
    const size_t length = message.length();
    std::vector<TMarker> markers;
    markers.reserve(20);
    scanDbxMessageText(text, text + length, markers, [&](size_t scanned) {
        const double f = ratio(i + ratio(static_cast<double>(scanned), static_cast<double>(length)),
                               tree.count());
        run.setProgress(kOverall,
                        startFraction + ratio(entry.size, static_cast<double>(totalBytes)) * f,
                        entry.name, f);
    });
    run.currentMessageText.clear();
    run.messageHadProblem = false;
    archiveRawMessage(run, text, length, markers, archiveFolder, entry.folderPath,
                      target.subfolderPath, useSubfolders, false);
}

void archiveDbxFile(ArchiveRun& run, const TDbxFolderInfo& entry, const TargetFolder& target,
                    const std::string& archiveFolder, bool useSubfolders, double startFraction,
                    uint64_t totalBytes) {
    imemfile file(entryPath(entry));
    if (!file.good()) return;
    const DbxHeader header = readDbxHeader(file.view());
    if (header.messageRoot == 0 || header.messageCount == 0) return;

    std::string folderName = entry.parentPath;
    if (!folderName.empty()) folderName += '/';
    run.startFolder(htmlEscape(folderName + entry.name + "/"));

    // A damaged tree ends the folder; a damaged record or text chain costs
    // only its own message.
    try {
        const DbxTree tree(file, header.messageRoot, header.messageCount);
        for (uint32_t i = 0; i < header.messageCount && !run.stopRequested && !file.truncatedWhileMapped();
             ++i) {
            run.startMessage();
            try {
                archiveDbxMessage(run, file, tree, i, entry, target, archiveFolder, useSubfolders,
                                  startFraction, totalBytes);
            } catch (const DbxException& e) {
                if (!file.truncatedWhileMapped()) logDamage(run, e);
            }
            run.finishMessage();
        }
    } catch (const DbxException& e) {
        run.currentMessageText.clear();
        // Zeros read past a cut-off end look like damage; the cut is the news.
        if (!file.truncatedWhileMapped()) {
            run.logProblem("Error: <a href=\"help:err_dbxfile.html\">damaged dbx file</a> - " +
                           htmlEscape(e.message()) + " (" + run.currentFolderName + ")");
        }
    }
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, entryPath(entry), false);
}

}  // namespace

void scanDbxMessageText(const char* begin, const char* end, std::vector<TMarker>& markers,
                        const std::function<void(size_t scanned)>& chunk) {
    const size_t chunkSize = std::max<size_t>(static_cast<size_t>(end - begin) / 100, 51200);
    int state = 0;
    const char* mark = begin;
    uint32_t lineFeeds = 0;
    const char* chunkEnd = static_cast<size_t>(end - begin) > chunkSize ? begin + chunkSize : end;
    for (const char* p = begin; p < end; ++p) {
        const char c = *p;
        switch (state) {
            case 0: state = c == '\n' ? 1 : 0; break;
            case 1:
                if (c == '-') mark = p;
                state = c == '-' ? 2 : c == '\n' ? 1 : 0;
                break;
            case 2: state = c == '-' ? 3 : 0; break;
            case 3: state = c == '\r' || c == '\n' || c == ' ' ? 0 : 4; break;
            case 4: state = c == '\r' ? 5 : c == '\n' ? 6 : 4; break;
            case 5: state = c == '\n' ? 6 : 0; break;
        }
        if (state == 6) {
            markers.push_back(boundaryMarker(mark, p, lineFeeds));
            state = 1;
        }
        if (c == '\n') ++lineFeeds;
        if (p + 1 == chunkEnd) {
            if (chunk) chunk(static_cast<size_t>(chunkEnd - begin));
            chunkEnd = static_cast<size_t>(end - chunkEnd) > chunkSize ? chunkEnd + chunkSize : end;
        }
    }
}

void archiveDbxFolders(ArchiveRun& run, const std::vector<TDbxFolderInfo>& entries,
                       const std::string& archiveFolder, bool useSubfolders) {
    // Messages reach the disk in batches, not one sync per file.
    BatchedCommits batching(run);
    uint64_t totalBytes = 0;
    const std::vector<TDbxFolderInfo> work = scanSourceFiles(
        run, entries, isDbxMailFile,
        "Error: file <a href=\"help:err_notdbx.html\">is not a valid dbx</a> - ", totalBytes);
    uint64_t doneBytes = 0;
    for (const TDbxFolderInfo& entry : work) {
        if (run.stopRequested) break;
        const double startFraction = ratio(static_cast<double>(doneBytes), static_cast<double>(totalBytes));
        run.setProgress(kOverall, startFraction, entry.name, 0);
        doneBytes += entry.size;
        const TargetFolder target = prepareTargetFolder(run, entry, archiveFolder, useSubfolders);
        archiveDbxFile(run, entry, target, archiveFolder, useSubfolders, startFraction, totalBytes);
        commitStagedMessages(run);
        removeEmptyAttachmentsFolder(target);
    }
}

}  // namespace tessaly
