// maildir_message.cpp - archiving one message file of a Maildir or MH
// folder, and finding a Maildir message again after a rename.
#include "sources/maildir_message.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "message/boundary_lines.h"
#include "platform/errors.h"
#include "sources/mailbox.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

const char kChangedLine[] = "Error: file <a href=\"help:err_mapfile.html\">changed while being read</a> - ";

// A Maildir name is its unique part, then ":" and the flags (":2,RS"),
// which mail programs change by renaming the file.
std::string_view uniquePart(std::string_view name) { return name.substr(0, name.find(':')); }

// The text after a leading "From " line, which some converters keep.
const char* afterFromLine(const char* begin, const char* end) {
    const size_t length = static_cast<size_t>(end - begin);
    if (length < 5 || std::memcmp(begin, "From ", 5) != 0) return begin;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', length));
    const char* lineEnd = lf ? lf : end;
    if (lineEnd > begin && lineEnd[-1] == '\r') --lineEnd;
    if (!isFromLine(begin, lineEnd)) return begin;
    return lf ? lf + 1 : end;
}

}  // namespace

std::string renamedMessageFile(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return {};
    const size_t parentSlash = path.rfind('/', slash - 1);
    if (parentSlash == std::string::npos) return {};
    const std::string_view unique = uniquePart(std::string_view(path).substr(slash + 1));
    if (unique.empty()) return {};
    const std::string maildir = path.substr(0, parentSlash + 1);
    for (const char* sub : {"cur", "new"}) {
        const std::string folder = maildir + sub;
        std::vector<FolderEntry> entries;
        if (!listFolder(folder, entries)) continue;
        for (const FolderEntry& entry : entries) {
            if (entry.isFolder || entry.name[0] == '.' || uniquePart(entry.name) != unique) continue;
            std::string candidate = folder + "/" + entry.name;
            if (candidate != path) return candidate;
        }
    }
    return {};
}

void archiveMessageFile(JobRun& run, const MessageFile& file, bool maildir, TargetFolder& target,
                        WholeFileReader& reader, const std::function<void(size_t scanned)>& chunk) {
    using Status = WholeFileReader::Status;
    std::string path = file.path;
    Status status = reader.read(path, file.size);
    if (status == Status::CannotOpen && reader.error() == ENOENT && maildir) {
        // A mail program renamed it for new flags, or moved it from new/ to cur/.
        const std::string renamed = renamedMessageFile(path);
        if (!renamed.empty()) {
            status = reader.read(renamed, file.size);
            if (status != Status::CannotOpen || reader.error() != ENOENT) path = renamed;
        }
    }
    if (status == Status::Ok && reader.size() == 0) return;

    run.startMessage();
    const char* text = reader.data();
    std::vector<TMarker> markers;
    if (status == Status::Ok) {
        text = afterFromLine(reader.data(), reader.end());
        const size_t skipped = static_cast<size_t>(text - reader.data());
        scanBoundaryLines(text, reader.end(), markers, [&](size_t scanned) {
            if (chunk) chunk(skipped + scanned);
        });
        // Zeros in place of a mapped file's lost end are no message.
        if (reader.lost()) status = Status::Shrank;
    }
    switch (status) {
        case Status::Ok: break;
        case Status::CannotOpen:
            setLastSystemError(reader.error());
            logFileProblem(run, kCannotOpenLine, path, true);
            break;
        case Status::Shrank: logFileProblem(run, kTruncatedLine, path, false); break;
        case Status::Changed: logFileProblem(run, kChangedLine, path, false); break;
    }
    if (status != Status::Ok) {
        // Left for a later run to archive whole.
        run.markMessage();
        run.finishMessage();
        return;
    }
    target.archiveRawMessage(text, static_cast<size_t>(reader.end() - text), markers, true);
    // The per-message step keeps nothing it made from a file that shrank.
    if (reader.lost()) {
        logFileProblem(run, kTruncatedLine, path, false);
        run.markMessage();
    }
    run.finishMessage();
}

}  // namespace tessaly
