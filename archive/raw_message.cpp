// raw_message.cpp - the per-message step for raw RFC 822 text.
#include "archive/raw_message.h"

#include "archive/checksum.h"
#include "archive/eml_file.h"
#include "archive/html_page.h"
#include "message/part_tree.h"
#include "message/text.h"

namespace tessaly {

namespace {

// The key comes from the first text part, else from the whole body.
const tagMessagePart& checksumPart(tagMessagePart& root) {
    TPartIterator parts(&root);
    while (const tagMessagePart* part = parts.next()) {
        if (part->kind == PartKind::Text) return *part;
    }
    return root;
}

}  // namespace

void archiveRawMessage(ArchiveRun& run, const char* text, size_t length,
                       const std::vector<TMarker>& markers, const std::string& archiveFolder,
                       const std::string& folderName, const std::string& subfolderPath,
                       bool useSubfolders, bool normalizeLineEnds) {
    run.byteCount += static_cast<uint32_t>(length);
    TMessageInfo info;
    buildPartTree(run, info, info.rootPart, text, length, markers);

    const tagMessagePart& keyed = checksumPart(info.rootPart);
    info.checksumKey = checksumKeyText(messageChecksum(keyed.bodyStart, keyed.bodyEnd));
    info.folderName = folderName;

    if (run.htmlFormat) {
        writeHtmlMessage(run, info, archiveFolder, subfolderPath, useSubfolders);
    } else {
        writeEmlMessage(run, text, text + length, info, archiveFolder, subfolderPath, useSubfolders,
                        normalizeLineEnds);
    }
    freePartTree(info.rootPart);
}

}  // namespace tessaly
