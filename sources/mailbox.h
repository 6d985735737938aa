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

// Whether [begin, end) (one line without its CR/LF) is a "From " line a
// mail program writes (from_line.cpp lists the forms).
bool isFromLine(const char* begin, const char* end);

// [begin, end) without a UTF-8 byte-order mark at its start.
const char* afterByteOrderMark(const char* begin, const char* end);

// The mailbox validity test: a file whose first non-blank line (after a
// byte-order mark) ends within the first 5000 bytes and is a From line.
// Mailboxes have no size limit.
bool isMailboxFile(const std::string& path);

struct MailboxScanEvents {
    // A complete message [start, end) from its "From " line up to the next
    // accepted "From " line or the end, with the boundary lines met inside
    // it. The receiver may empty `markers`; the scanner empties it after.
    std::function<void(const char* start, const char* end, std::vector<TMarker>& markers)> message;
    // Called at the end of each chunk with the bytes scanned so far.
    std::function<void(size_t scanned)> chunk;
};

// Scans a whole mailbox once. A "From " line that isFromLine accepts opens
// a message at the start of the file (after a byte-order mark), after an
// empty line, or anywhere when a header block follows it; lines beginning
// "--" become boundary markers.
void scanMailbox(const char* begin, const char* end, const MailboxScanEvents& events);

// The mailbox job: archives every message of the given mailbox files, and
// of the given Maildir and MH folders.
void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries);

}  // namespace tessaly
