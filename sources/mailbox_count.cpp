// mailbox_count.cpp - counting the messages of a mailbox file.
#include "sources/mailbox_count.h"

#include <cstring>

#include "platform/files.h"
#include "sources/mailbox.h"
#include "sources/mailbox_headers.h"

namespace tessaly {

namespace {

// How many bytes the scan passes before it gives their memory back (as the
// mailbox job does).
constexpr size_t kReleaseStep = size_t{64} << 20;

}  // namespace

uint64_t countMailboxMessages(const std::string& path) {
    if (!isMailboxFile(path)) return 0;
    MappedFile file;
    if (file.open(path, UINT64_MAX) != MappedFile::Status::Ok) return 0;
    uint64_t count = 0;
    const char* released = file.data();
    MailboxScanEvents events;
    events.message = [&](const char* start, const char* end, std::vector<TMarker>& markers) {
        markers.clear();
        if (static_cast<size_t>(start - released) >= kReleaseStep) {
            file.release(released, start);
            released = start;
        }
        // Past an end cut off while mapped the scanner reads zeros.
        if (file.truncatedWhileMapped()) return;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
        const char* text = lf ? lf + 1 : end;
        if (!isExpungedMessage(headerBlockOf(text, end))) ++count;
    };
    scanMailbox(file.data(), file.end(), events);
    return count;
}

}  // namespace tessaly
