// mailbox_job.cpp - archives every message of the chosen mailbox files; a
// Gmail Takeout mailbox into the folders of its labels, in two passes.
#include "sources/mailbox_job.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "message/boundary_lines.h"
#include "message/gmail_labels.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/file_job.h"
#include "sources/label_plan.h"
#include "sources/mailbox.h"
#include "sources/mailbox_headers.h"
#include "sources/maildir_job.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

// Bytes around a message that the second pass gives back with it: whole
// pages of any size the system uses, shared with its neighbours.
constexpr size_t kPageSlack = size_t{64} << 10;
// The share of a Takeout mailbox's progress its first pass takes: it only
// scans, while the second reads and writes every message.
constexpr double kFirstPassShare = 0.1;

const char kCannotMap[] = "Error: <a href=\"help:err_mapfile.html\">cannot map file</a> - ";

// The message IMAP servers keep at the top of a mailbox for their own use
// ("DON'T DELETE THIS MESSAGE -- FOLDER INTERNAL DATA", with an X-IMAP
// field): sent by the mail system, never by a person.
bool isFolderData(const char* start, const char* end) {
    const std::string_view message(start, static_cast<size_t>(end - start));
    if (message.substr(0, 18) != "From MAILER-DAEMON") return false;
    const std::string_view headers = headerBlockOf(start, end);
    return headers.find("\nX-IMAP:") != std::string_view::npos ||
           headers.find("\nX-IMAPbase:") != std::string_view::npos ||
           headers.find("FOLDER INTERNAL DATA") != std::string_view::npos;
}

// The pages the second pass has read and not yet given back: it reads each
// folder's messages in file order, so they are mostly one growing range.
class ReadPages {
public:
    explicit ReadPages(const MappedFile& file) : file_(file) {}
    ~ReadPages() { release(); }
    ReadPages(const ReadPages&) = delete;
    ReadPages& operator=(const ReadPages&) = delete;

    void read(uint64_t start, uint64_t end) {
        if (begin_ < end_ && (start < begin_ || end - begin_ > PassedPages::kStep)) release();
        if (begin_ == end_) begin_ = start;
        end_ = std::max(end_, end);
    }
    void release() {
        if (begin_ < end_) {
            const uint64_t from = begin_ > kPageSlack ? begin_ - kPageSlack : 0;
            const uint64_t to = std::min<uint64_t>(file_.size(), end_ + kPageSlack);
            file_.release(file_.data() + from, file_.data() + to);
        }
        begin_ = end_ = 0;
    }

private:
    const MappedFile& file_;
    uint64_t begin_ = 0;
    uint64_t end_ = 0;
};

// One mailbox file being archived. While its first messages are tested for
// labels they are held; then the file is archived into its own folder as it
// is scanned, or its messages are planned and archived folder by folder of
// their labels.
class MailboxFile {
public:
    MailboxFile(ArchiveWriter& writer, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share,
                const MappedFile& file, bool labelFolders)
        : writer_(writer),
          run_(writer.run()),
          entry_(entry),
          target_(target),
          share_(share),
          file_(file),
          mode_(labelFolders ? Mode::Testing : Mode::Plain),
          passed_(file) {}

    void archive() {
        if (mode_ == Mode::Plain) startFileFolder();
        run_.setProgress(kOverallProgress, share_.startFraction, entry_.name, 0);
        MailboxScanEvents events;
        events.chunk = [this](size_t scanned) { scanProgress(scanned); };
        events.message = [this](const char* start, const char* end, std::vector<TMarker>& markers) {
            message(start, end, markers);
        };
        scanMailbox(file_.data(), file_.end(), events);
        // Fewer messages than the test wants: those there were decide.
        if (mode_ == Mode::Testing) decide(tested_ > 0);
        if (mode_ == Mode::Labels) archiveFolders();
    }

private:
    enum class Mode { Testing, Plain, Labels };

    struct Held {
        const char* start;
        const char* end;
        std::vector<TMarker> markers;
        bool leading;
    };

    void message(const char* start, const char* end, std::vector<TMarker>& markers) {
        const bool leading = first_;
        first_ = false;
        // The scan never looks back: memory stays flat however big the file
        // (held messages are read from the file again when their turn comes).
        passed_.passed(start);
        // Past a cut-off end the scanner reads zeros, not messages.
        if (run_.shouldStop() || file_.truncatedWhileMapped()) return;
        switch (mode_) {
            case Mode::Plain: archivePlain(start, end, markers, leading); return;
            case Mode::Labels: plan(start, end, leading); return;
            case Mode::Testing: break;
        }
        held_.push_back({start, end, markers, leading});
        if (leading && isFolderData(start, end)) return;
        if (!gmailLabelsField(textAfterFromLine(start, end), end)) {
            decide(false);
        } else if (++tested_ == kLabelTestMessages) {
            decide(true);
        }
    }

    void decide(bool labels) {
        mode_ = labels ? Mode::Labels : Mode::Plain;
        if (!labels) startFileFolder();
        const std::vector<Held> held = std::move(held_);
        held_.clear();
        for (const Held& m : held) {
            if (run_.shouldStop() || file_.truncatedWhileMapped()) break;
            if (labels) {
                plan(m.start, m.end, m.leading);
            } else {
                archivePlain(m.start, m.end, m.markers, m.leading);
            }
        }
    }

    // The mailbox's own folder: of every message when it has no labels, of
    // the few left out when it has.
    void startFileFolder() {
        if (fileFolderStarted_) return;
        fileFolderStarted_ = true;
        run_.startFolder(folderTitle(entry_));
    }

    // The messages left out, as the run counts them.
    void skipFolderData() {
        run_.countSkipped(Skipped::FolderData);
        run_.folderProblem(
            "Warning: <a href=\"help:err_folderdata.html\">the mail server's folder information</a> "
            "was left out");
        run_.finishMessage();
    }
    void skipDeleted() {
        // Archiving mail deleted in Thunderbird would bring it back.
        run_.countSkipped(Skipped::Deleted);
        run_.finishMessage();
    }

    void archivePlain(const char* start, const char* end, const std::vector<TMarker>& markers, bool leading) {
        run_.startMessage();
        if (leading && isFolderData(start, end)) {
            skipFolderData();
            return;
        }
        const char* text = textAfterFromLine(start, end);
        if (isExpungedMessage(headerBlockOf(text, end))) {
            skipDeleted();
            return;
        }
        plainProgress(static_cast<size_t>(end - file_.data()));
        target_.archiveRawMessage(text, static_cast<size_t>(end - text), markers, true, endOf(end));
        run_.finishMessage();
    }

    // The last message of the file ends where the file does, which may be
    // where a copy or download of it stopped.
    MessageEnd endOf(const char* end) const {
        return end == file_.end() ? MessageEnd::MayBeCut : MessageEnd::Known;
    }

    // The first pass over a Takeout mailbox: where each message goes.
    void plan(const char* start, const char* end, bool leading) {
        const uint64_t from = static_cast<uint64_t>(start - file_.data());
        const uint64_t to = static_cast<uint64_t>(end - file_.data());
        const char* text = textAfterFromLine(start, end);
        const bool folderData = leading && isFolderData(start, end);
        if (folderData || isExpungedMessage(headerBlockOf(text, end))) {
            startFileFolder();
            run_.startMessage();
            if (folderData) {
                skipFolderData();
            } else {
                skipDeleted();
            }
            plan_.add(from, to, LabelPlan::kNoFolder);
            return;
        }
        const std::vector<std::string> labels = gmailLabelsOf(writer_.decoder().charsets(), text, end);
        plan_.add(from, to, plan_.folderFor(entry_.folderPath, labelFolder(labels)));
    }

    // The second pass: folder by folder, each in file order.
    void archiveFolders() {
        std::vector<size_t> begins;
        const std::vector<size_t> order = plan_.messagesByFolder(begins);
        const std::vector<LabelPlan::Folder>& folders = plan_.folders();
        ReadPages pages(file_);
        std::vector<TMarker> markers;
        uint64_t done = 0;
        for (size_t f = 0; f < folders.size(); ++f) {
            if (run_.shouldStop() || file_.truncatedWhileMapped()) return;
            const LabelPlan::Folder& folder = folders[f];
            TargetFolder& target = writer_.openFolder(folder.path, folder.label);
            run_.startFolder(folderTitle(entry_) + htmlEscape(folder.label) + "/");
            uint64_t inFolder = 0;
            for (size_t k = begins[f]; k < begins[f + 1]; ++k) {
                if (run_.shouldStop() || file_.truncatedWhileMapped()) return;
                const size_t i = order[k];
                const char* start = file_.data() + plan_.start(i);
                const char* end = file_.data() + plan_.end(i);
                labelProgress(done, inFolder, folder);
                run_.startMessage();
                const char* text = textAfterFromLine(start, end);
                markers.clear();
                scanBoundaryLines(text, end, markers, {});
                target.archiveRawMessage(text, static_cast<size_t>(end - text), markers, true, endOf(end));
                run_.finishMessage();
                pages.read(plan_.start(i), plan_.end(i));
                done += plan_.end(i) - plan_.start(i);
                inFolder += plan_.end(i) - plan_.start(i);
            }
            pages.release();
        }
    }

    // The overall bar: the file's share of the job's bytes; its first pass
    // the first part of that share for a file that is or may be a Takeout
    // mailbox, the second pass the rest by bytes archived.
    void scanProgress(size_t scanned) {
        // Also inside a message of gigabytes: its pages are read again when
        // it is archived.
        passed_.passed(file_.data() + scanned);
        if (mode_ == Mode::Plain) {
            plainProgress(scanned);
            return;
        }
        const double total = static_cast<double>(share_.totalBytes);
        run_.setProgress(kOverallProgress,
                         share_.startFraction + kFirstPassShare * ratio(static_cast<double>(scanned), total),
                         entry_.name, ratio(static_cast<double>(scanned), static_cast<double>(entry_.size)));
    }
    void plainProgress(size_t scanned) {
        const double total = static_cast<double>(share_.totalBytes);
        run_.setProgress(kOverallProgress, share_.startFraction + ratio(static_cast<double>(scanned), total),
                         entry_.name, ratio(static_cast<double>(scanned), static_cast<double>(entry_.size)));
    }
    void labelProgress(uint64_t done, uint64_t inFolder, const LabelPlan::Folder& folder) {
        const double size = static_cast<double>(entry_.size);
        const double archived = ratio(static_cast<double>(done), static_cast<double>(plan_.bytes()));
        const double fraction = (kFirstPassShare + (1 - kFirstPassShare) * archived) * size;
        run_.setProgress(kOverallProgress,
                         share_.startFraction + ratio(fraction, static_cast<double>(share_.totalBytes)),
                         entry_.name + "/" + folder.label,
                         ratio(static_cast<double>(inFolder), static_cast<double>(folder.bytes)));
    }

    ArchiveWriter& writer_;
    JobRun& run_;
    const TDbxFolderInfo& entry_;
    TargetFolder& target_;  // the mailbox's own folder, for a file without labels
    const FileShare& share_;
    const MappedFile& file_;
    Mode mode_;
    bool first_ = true;
    bool fileFolderStarted_ = false;
    size_t tested_ = 0;
    std::vector<Held> held_;
    LabelPlan plan_;
    PassedPages passed_;
};

void archiveFile(ArchiveWriter& writer, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share,
                 bool labelFolders) {
    JobRun& run = writer.run();
    const std::string path = entryPath(entry);
    MappedFile file;
    switch (file.open(path, UINT64_MAX)) {
        case MappedFile::Status::Ok: break;
        case MappedFile::Status::CannotOpen: logFileProblem(run, kCannotOpenLine, path, true); return;
        default: logFileProblem(run, kCannotMap, path, true); return;
    }
    MailboxFile(writer, entry, target, share, file, labelFolders).archive();
    if (file.truncatedWhileMapped()) logFileProblem(run, kTruncatedLine, path, false);
}

}  // namespace

void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries,
                      const MailboxJobOptions& options) {
    SourceFileRules rules;
    rules.isValid = isMailboxFile;
    rules.notValidLiteral = "Error: file <a href=\"help:err_notbmf.html\">is not a valid bmf</a> - ";
    runFileJob(writer, entries, rules,
               [&writer, &options](const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share) {
                   if (entry.storage == FolderStorage::File) {
                       archiveFile(writer, entry, target, share, options.labelFolders);
                   } else {
                       archiveMessageFiles(writer.run(), entry, target, share);
                   }
               });
}

void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries) {
    archiveMailboxes(writer, entries, MailboxJobOptions{});
}

}  // namespace tessaly
