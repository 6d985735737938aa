// catalogue_rebuild.cpp - walking an archive folder for its message files.
#include "archive/catalogue_rebuild.h"

#include <algorithm>
#include <vector>

#include "archive/duplicates.h"
#include "archive/message_row.h"
#include "archive/page_row.h"
#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

namespace {

// Pages are small; a larger file is read as far as this for its row.
constexpr size_t kMaxRead = size_t{64} << 20;
constexpr size_t kRowsPerTransaction = 500;

// Every message file below `dir` (relative, "" or ending in "/"), in a
// stable order: the pages' attachment folders, the derived folder and the
// root's own index and search pages are no messages.
void collect(const std::string& root, const std::string& dir, std::vector<std::pair<std::string, FILETIME>>& out) {
    std::vector<FolderEntry> entries;
    if (!listFolder(dir.empty() ? root : root + "/" + dir, entries)) return;
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) {
        if (entry.isLink) continue;
        if (entry.isFolder) {
            if (entry.name == "attachments" || (dir.empty() && entry.name == ".tessaly")) continue;
            collect(root, dir + entry.name + "/", out);
        } else if (entry.name.ends_with(".html") || entry.name.ends_with(".eml")) {
            if (dir.empty() && (entry.name == "index.html" || entry.name == "search.html")) continue;
            if (isStaleTemporaryName(entry.name)) continue;
            out.emplace_back(dir + entry.name, entry.lastWriteTime);
        }
    }
}

}  // namespace

bool rowFromArchiveFile(DecodeContext& decoder, const std::string& root, const std::string& path, CatalogueRow& row,
                        const std::unordered_map<std::string, CatalogueRow>* threadIds) {
    const std::string full = root + "/" + path;
    std::string bytes;
    uint64_t size = 0;
    if (!readFileStart(full, kMaxRead, bytes, size)) return false;
    if (path.ends_with(".html")) {
        row = rowFromPage(bytes, path);
        if (threadIds) {
            const auto ids = threadIds->find(path);
            if (ids != threadIds->end()) {
                if (!ids->second.messageId.empty()) row.messageId = ids->second.messageId;
                row.inReplyTo = ids->second.inReplyTo;
                row.references = ids->second.references;
                row.threadId = ids->second.threadId;
                row.labels = ids->second.labels;
            }
        }
        for (CatalogueAttachment& attachment : row.attachments) {
            uint64_t attachmentSize = 0;
            if (readableFileSize(root + "/" + attachment.path, attachmentSize)) attachment.size = attachmentSize;
        }
    } else {
        row = rowFromEml(decoder, bytes, path);
    }
    row.contentKey = fileTag(full, kContentTag);
    return true;
}

uint64_t rebuildCatalogue(Catalogue& catalogue, DecodeContext& decoder,
                          const std::function<bool(uint64_t files)>& progress,
                          const std::function<void(const CatalogueRow&)>& take) {
    catalogue.markComplete(false);
    catalogue.clear();
    std::vector<std::pair<std::string, FILETIME>> files;
    collect(catalogue.root(), "", files);
    std::unordered_map<std::string, CatalogueRow> threadIds;
    {
        std::string idsFile;
        uint64_t size = 0;
        if (readFileStart(threadIdsPath(catalogue.root()), size_t{1} << 30, idsFile, size)) readThreadIds(idsFile, threadIds);
    }
    std::vector<CatalogueRow> rows;
    uint64_t found = 0;
    auto store = [&] {
        if (rows.empty()) return;
        catalogue.addPending(rows);
        std::vector<int64_t> ids;
        for (const CatalogueRow& row : rows) ids.push_back(row.id);
        catalogue.settle(ids, {});
        if (take) {
            for (const CatalogueRow& row : rows) take(row);
        }
        rows.clear();
    };
    for (size_t i = 0; i < files.size(); ++i) {
        if (progress && i % 64 == 0 && !progress(i)) return found;
        CatalogueRow row;
        if (!rowFromArchiveFile(decoder, catalogue.root(), files[i].first, row, &threadIds)) continue;
        row.date = fileTimeToUnix(files[i].second);
        rows.push_back(std::move(row));
        ++found;
        if (rows.size() >= kRowsPerTransaction) store();
    }
    store();
    catalogue.markComplete(true);
    return found;
}

}  // namespace tessaly
