// fuzz_dbx.cpp - the DBX reader over a whole file: header, file info, the
// message and folder trees, every record they list and every text chain.
#include <vector>

#include "fuzz/targets.h"
#include "message/boundary_lines.h"
#include "sources/dbx.h"

namespace tessaly::fuzz {

namespace {

void readRecords(imemfile& file, uint32_t root, uint32_t count, bool messages) {
    if (root == 0 || count == 0) return;
    try {
        const DbxTree tree(file, root, count);
        for (uint32_t i = 0; i < tree.count(); ++i) {
            try {
                if (messages) {
                    const DbxMessageInfo record(file.view(), tree.valueAt(i));
                    for (unsigned index = 0; index < kDbxIndexSlots; ++index) {
                        const DbxValue value = record.valuePointer(index);
                        (void)value;
                        (void)record.indexName(index);
                        (void)record.valueAsText(index);
                    }
                    const uint32_t address = record.valueAsInteger(kDbxMessageAddress);
                    if (address == 0) continue;
                    const DbxMessage message(file, address);
                    if (message.text()[message.length()] != '\0') propertyFailed("text not terminated");
                    std::vector<TMarker> markers;
                    scanBoundaryLines(message.text(), message.text() + message.length(), markers, nullptr);
                } else {
                    const DbxFolderInfo record(file.view(), tree.valueAt(i));
                    (void)record.valueAsInteger(kDbxFolderId);
                    (void)record.valueAsText(kDbxFolderName);
                    (void)record.valueAsText(kDbxFolderFileName);
                    (void)record.indexType(kDbxFolderName);
                }
            } catch (const DbxException&) {
                // A damaged record or chain costs only its own message.
            }
        }
    } catch (const DbxException&) {
    }
}

}  // namespace

void fuzzDbx(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    imemfile file(bytes.data(), bytes.size());
    const DbxView view = file.view();
    (void)isDbxMailView(view);
    (void)dbxFolderNameInView(view);
    const DbxHeader header = readDbxHeader(view);
    try {
        (void)DbxFileInfo(view, kDbxFileInfoOffset, header.fileInfoLength).storedFolderName();
    } catch (const DbxException&) {
    }
    readRecords(file, header.messageRoot, header.messageCount, true);
    // A failed read turns the file not good; the folder tree gets a fresh one.
    imemfile again(bytes.data(), bytes.size());
    readRecords(again, header.folderRoot, header.folderCount, false);
}

}  // namespace tessaly::fuzz
