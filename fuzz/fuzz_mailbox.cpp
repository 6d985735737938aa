// fuzz_mailbox.cpp - the mailbox boundary scanner, with every message it
// hands on archived into a temporary archive.
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/run.h"
#include "archive/archive_writer.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/targets.h"
#include "sources/mailbox.h"

namespace tessaly::fuzz {

// Input: a flags byte (bit 0: EML instead of pages, bit 1: flat archive),
// then the mailbox bytes.
void fuzzMailbox(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const bool html = !(data[0] & 1);
    const bool useSubfolders = !(data[0] & 2);
    std::vector<char> box(data + 1, data + size);
    const char* begin = box.data();
    const char* end = begin + box.size();

    emptyScratchFolder();
    const std::string archive = scratchFolder() + "/archive";
    ArchiveRun run;
    run.beginRun(nullptr, nullptr, nullptr);
    run.startFolder("Inbox/");
    ArchiveWriter writer(run, run.decoder, {archive, html ? OutputFormat::Html : OutputFormat::Eml, useSubfolders});
    TargetFolder& target = writer.openFolder("Inbox", "Inbox");

    MailboxScanEvents events;
    events.message = [&](const char* start, const char* stop, std::vector<TMarker>& markers) {
        if (start < begin || stop > end || start > stop) propertyFailed("message outside the mailbox");
        for (const TMarker& m : markers) {
            if (m.position < start || m.position >= stop) propertyFailed("marker outside its message");
        }
        const size_t length = static_cast<size_t>(stop - start);
        if (length >= 18 && std::memcmp(start, "From MAILER-DAEMON", 18) == 0) return;
        run.startMessage();
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        const char* text = lf ? lf + 1 : stop;
        target.archiveRawMessage(text, static_cast<size_t>(stop - text), markers, true);
        run.finishMessage();
    };
    scanMailbox(begin, end, events);
    writer.closeFolder();
    run.endRun();
}

}  // namespace tessaly::fuzz
