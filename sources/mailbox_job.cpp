// mailbox_job.cpp - archives every message of the chosen mailbox files.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "message/text.h"
#include "platform/files.h"
#include "sources/file_job.h"
#include "sources/mailbox.h"
#include "sources/mailbox_headers.h"
#include "sources/maildir_job.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

// How many bytes the scan passes before it gives their memory back.
constexpr size_t kReleaseStep = size_t{64} << 20;

const char kCannotMap[] = "Error: <a href=\"help:err_mapfile.html\">cannot map file</a> - ";

// The message IMAP servers keep at the top of a mailbox for their own use
// ("DON'T DELETE THIS MESSAGE -- FOLDER INTERNAL DATA", with an X-IMAP
// field): sent by the mail system, never by a person.
bool isFolderData(const char* start, const char* end) {
    const std::string_view message(start, static_cast<size_t>(end - start));
    if (message.substr(0, 18) != "From MAILER-DAEMON") return false;
    const size_t headerEnd = std::min(message.find("\n\n"), message.find("\n\r\n"));
    const std::string_view headers = message.substr(0, headerEnd);
    return headers.find("\nX-IMAP:") != std::string_view::npos ||
           headers.find("\nX-IMAPbase:") != std::string_view::npos ||
           headers.find("FOLDER INTERNAL DATA") != std::string_view::npos;
}

void archiveFile(JobRun& run, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
    const std::string path = entryPath(entry);
    MappedFile file;
    switch (file.open(path, UINT64_MAX)) {
        case MappedFile::Status::Ok: break;
        case MappedFile::Status::CannotOpen: logFileProblem(run, kCannotOpenLine, path, true); return;
        default: logFileProblem(run, kCannotMap, path, true); return;
    }

    run.startFolder(folderTitle(entry));
    const double before = share.startFraction;
    const double totalBytes = static_cast<double>(share.totalBytes);
    run.setProgress(kOverallProgress, before, entry.name, 0);

    auto showProgress = [&](size_t scanned) {
        run.setProgress(kOverallProgress, before + ratio(static_cast<double>(scanned), totalBytes), entry.name,
                        ratio(static_cast<double>(scanned), static_cast<double>(entry.size)));
    };
    // The scan never looks back: the memory of passed bytes is given back,
    // also within a message of gigabytes (touched again, it is read anew),
    // so memory stays flat however big the file.
    const char* released = file.data();
    auto release = [&](const char* upTo) {
        if (static_cast<size_t>(upTo - released) < kReleaseStep) return;
        file.release(released, upTo);
        released = upTo;
    };
    MailboxScanEvents events;
    events.chunk = [&](size_t scanned) {
        showProgress(scanned);
        release(file.data() + scanned);
    };
    bool first = true;
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        const size_t length = static_cast<size_t>(end - start);
        const bool leading = first;
        first = false;
        release(start);
        // Past a cut-off end the scanner reads zeros, not messages.
        if (run.shouldStop() || file.truncatedWhileMapped()) return;
        run.startMessage();
        if (leading && isFolderData(start, end)) {
            run.countSkipped(Skipped::FolderData);
            run.folderProblem(
                "Warning: <a href=\"help:err_folderdata.html\">the mail server's folder information</a> "
                "was left out");
            run.finishMessage();
            return;
        }
        // The "From " line is not part of the message.
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        const char* text = lf ? lf + 1 : end;
        if (isExpungedMessage(headerBlockOf(text, end))) {
            // Archiving mail deleted in Thunderbird would bring it back.
            run.countSkipped(Skipped::Deleted);
            run.finishMessage();
            return;
        }
        showProgress(static_cast<size_t>(end - file.data()));
        target.archiveRawMessage(text, static_cast<size_t>(end - text), markers, true);
        run.finishMessage();
    };
    scanMailbox(file.data(), file.end(), events);
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, path, false);
}

}  // namespace

void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries) {
    SourceFileRules rules;
    rules.isValid = isMailboxFile;
    rules.notValidLiteral = "Error: file <a href=\"help:err_notbmf.html\">is not a valid bmf</a> - ";
    runFileJob(writer, entries, rules,
               [&writer](const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
                   if (entry.storage == FolderStorage::File) {
                       archiveFile(writer.run(), entry, target, share);
                   } else {
                       archiveMessageFiles(writer.run(), entry, target, share);
                   }
               });
}

}  // namespace tessaly
