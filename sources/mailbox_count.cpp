// mailbox_count.cpp - counting the messages of a mailbox file.
#include "sources/mailbox_count.h"

#include "platform/files.h"
#include "sources/mailbox.h"
#include "sources/mailbox_headers.h"

namespace tessaly {

uint64_t countMailboxMessages(const std::string& path) {
    if (!isMailboxFile(path)) return 0;
    MappedFile file;
    if (file.open(path, UINT64_MAX) != MappedFile::Status::Ok) return 0;
    uint64_t count = 0;
    PassedPages passed(file);
    MailboxScanEvents events;
    events.chunk = [&](size_t scanned) { passed.passed(file.data() + scanned); };
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        markers.clear();
        passed.passed(start);
        // Past an end cut off while mapped the scanner reads zeros.
        if (file.truncatedWhileMapped()) return;
        if (!isExpungedMessage(headerBlockOf(textAfterFromLine(start, end), end))) ++count;
    };
    scanMailbox(file.data(), file.end(), events);
    return count;
}

}  // namespace tessaly
