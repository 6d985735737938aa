// mailbox.h - Berkeley mailbox files: the From-line and file tests, the
// boundary scanner and the archiving job.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "message/marker.h"
#include "sources/folder_info.h"

namespace tessaly {

// Whether [begin, end) (one line without its CR/LF) opens a message.
bool isFromLine(const char* begin, const char* end);

// The mailbox validity test: a file below 4 GiB whose first non-blank line
// ends within the first 5000 bytes, is at least 10 bytes long and is a
// From line.
bool isMailboxFile(const std::string& path);

struct MailboxScanEvents {
    // A complete message [start, end) from its "From " line up to the next
    // accepted "From " line or the end, with the boundary lines met inside
    // it. The receiver may empty `markers`; the scanner empties it after.
    std::function<void(const char* start, const char* end, std::vector<TMarker>& markers)> message;
    // Called at the end of each chunk with the bytes scanned so far.
    std::function<void(size_t scanned)> chunk;
};

// Scans a whole mailbox once, byte by byte. A "From " line counts only at
// the start of the file or after an empty line, and only when isFromLine
// accepts it; lines beginning "--" become boundary markers.
void scanMailbox(const char* begin, const char* end, const MailboxScanEvents& events);

// The mailbox job: archives every message of the given mailbox files.
void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries);

}  // namespace tessaly
