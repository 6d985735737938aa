// fuzz_archive_rows.cpp - catalogue rows read back from archive files: a
// page (first byte even) or an EML file (odd); every text of the row is
// valid UTF-8, every attachment path stays below the page's folder.
#include <string>
#include <string_view>
#include <unordered_map>

#include "archive/message_row.h"
#include "archive/page_row.h"
#include "fuzz/targets.h"
#include "message/charsets.h"

namespace tessaly::fuzz {

void fuzzArchiveRows(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    DecodeContext decoder;
    const bool page = (data[0] & 1) == 0;
    const CatalogueRow row = page ? rowFromPage(bytes, "Inbox/m.html") : rowFromEml(decoder, bytes, "Inbox/m.eml");
    for (const std::string* text : {&row.from, &row.to, &row.cc, &row.subject, &row.text, &row.folder}) {
        if (!isValidUtf8(*text)) propertyFailed("a catalogue text is not valid UTF-8");
    }
    for (const CatalogueAttachment& attachment : row.attachments) {
        if (!isValidUtf8(attachment.name)) propertyFailed("an attachment name is not valid UTF-8");
        if (page && attachment.path.rfind("Inbox/", 0) != 0) propertyFailed("an attachment path left its folder");
    }
    std::unordered_map<std::string, CatalogueRow> ids;
    readThreadIds(bytes, ids);
    readThreadIds(threadIdsLine(row), ids);
}

}  // namespace tessaly::fuzz
