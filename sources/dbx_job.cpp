// dbx_job.cpp - archives the messages of Outlook Express folder files.
#include "sources/dbx_job.h"

#include <new>

#include "archive/duplicates.h"
#include "archive/out_of_memory.h"
#include "message/boundary_lines.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/dbx.h"
#include "sources/file_job.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

const char kDamaged[] = "Error: <a href=\"help:err_dbxfile.html\">damaged dbx file</a> - ";

// One message record: offline report, or text, markers and the archiving step.
void archiveDbxMessage(JobRun& run, imemfile& file, const DbxTree& tree, uint32_t i,
                       const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
    const DbxMessageInfo record(file.view(), tree.valueAt(i));
    const uint32_t address = record.valueAsInteger(kDbxMessageAddress);
    if (address == 0) {
        const unsigned who = entry.kind == 2 || entry.kind == 3 ? kDbxMessageReceiverName
                                                                : kDbxMessageSenderName;
        run.setMessageText(htmlEscape(record.valueAsText(who) + " - " +
                                      record.valueAsText(kDbxMessageOriginalSubject)));
        reportOffline(run);
        return;
    }

    const DbxMessage message(file, address);
    const char* text = message.text();
    const size_t length = message.length();
    std::vector<TMarker> markers;
    markers.reserve(20);
    scanBoundaryLines(text, text + length, markers, [&](size_t scanned) {
        const double f = ratio(i + ratio(static_cast<double>(scanned), static_cast<double>(length)),
                               tree.count());
        run.setProgress(kOverallProgress,
                        share.startFraction + ratio(entry.size, static_cast<double>(share.totalBytes)) * f,
                        entry.name, f);
    });
    target.archiveRawMessage(text, length, markers, false);
}

void archiveDbxFile(JobRun& run, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
    imemfile file(entryPath(entry));
    if (!file.good()) return;
    const DbxHeader header = readDbxHeader(file.view());
    if (header.messageRoot == 0 || header.messageCount == 0) return;

    run.startFolder(folderTitle(entry));

    // A damaged tree ends the folder; a damaged record or text chain costs
    // only its own message.
    try {
        const DbxTree tree(file, header.messageRoot, header.messageCount);
        for (uint32_t i = 0; i < header.messageCount && !run.shouldStop() && !file.truncatedWhileMapped();
             ++i) {
            run.startMessage();
            try {
                archiveDbxMessage(run, file, tree, i, entry, target, share);
            } catch (const DbxException& e) {
                if (!file.truncatedWhileMapped()) run.messageProblem(kDamaged + htmlEscape(e.message()));
            } catch (const std::bad_alloc&) {
                // Its text, gathered from its blocks, did not fit.
                reportNotArchived(run);
            }
            run.finishMessage();
        }
    } catch (const DbxException& e) {
        run.setMessageText("");
        // Zeros read past a cut-off end look like damage; the cut is the news.
        if (!file.truncatedWhileMapped()) run.folderProblem(kDamaged + htmlEscape(e.message()));
    }
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, entryPath(entry), false);
}

}  // namespace

void archiveDbxFolders(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries) {
    SourceFileRules rules;
    rules.isValid = isDbxMailFile;
    rules.notValidLiteral = "Error: file <a href=\"help:err_notdbx.html\">is not a valid dbx</a> - ";
    // The format's offsets are 32 bits.
    rules.sizeLimit = MappedFile::k32BitLimit;
    runFileJob(writer, entries, rules,
               [&writer](const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
                   archiveDbxFile(writer.run(), entry, target, share);
               });
}

}  // namespace tessaly
