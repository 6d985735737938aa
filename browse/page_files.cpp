// page_files.cpp - staged, batched writes of browse pages and the removal of
// pages a folder no longer has.
#include "browse/page_files.h"

#include <algorithm>

#include "browse/page_names.h"

namespace tessaly {

bool PageFiles::write(const std::string& path, const std::string& content) {
    // Same bytes: no write, no sync, and the file keeps its time.
    std::string existing;
    uint64_t size = 0;
    if (readFileStart(path, content.size() + 1, existing, size) && size == content.size() && existing == content) {
        return true;
    }
    auto file = std::make_unique<OutputFile>();
    if (!file->createStaged(path)) return false;
    if (!file->write(content) || !file->complete()) return false;
    waiting_.push_back(std::move(file));
    return waiting_.size() < kMaxWaiting || commit();
}

bool PageFiles::commit() {
    if (waiting_.empty()) return true;
    std::vector<std::string> temporaries;
    temporaries.reserve(waiting_.size());
    for (const auto& file : waiting_) temporaries.push_back(file->temporaryPath());
    const bool synced = syncFileSystems(temporaries);
    bool ok = synced;
    for (const auto& file : waiting_) {
        if (synced && file->putInPlace(CreateMode::Always)) continue;
        file->discard();
        ok = false;
    }
    waiting_.clear();
    return ok;
}

void writeFileWhenMissing(const std::string& path, const std::string& content) {
    if (pathExists(path)) return;
    OutputFile file;
    if (!file.createStaged(path)) return;
    file.write(content);
    file.commit(CreateMode::New);
}

bool removeOtherPages(const std::string& folder, const std::vector<std::string>& kept) {
    removeStaleTemporaries(folder);
    std::vector<FolderEntry> entries;
    if (!listFolder(folder, entries)) return false;
    bool ok = true;
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder || entry.isLink || !isFolderPageName(entry.name)) continue;
        if (std::binary_search(kept.begin(), kept.end(), entry.name)) continue;
        ok = removeFile(folder + entry.name) && ok;
    }
    return ok;
}

}  // namespace tessaly
