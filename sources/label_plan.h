// label_plan.h - what the first pass over a Gmail Takeout mailbox keeps for
// the second: where each message lies and which label folder it goes to,
// a few bytes a message, and the folders in the order they first appear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

class LabelPlan {
public:
    // The folder of a message that is not archived (the server's folder data).
    static constexpr uint32_t kNoFolder = UINT32_MAX;

    struct Folder {
        std::string label;  // the label that named it, as written ("Family/Kids")
        std::string path;   // the source folder path: the mailbox's own, "/", the label's path
        uint64_t bytes = 0;  // of its messages
    };

    // The folder for messages whose labels chose `label` (labelFolder),
    // below the mailbox's folder `parent`. Labels that come to the same
    // archive folder (they differ only in what folder names cannot hold)
    // share one.
    uint32_t folderFor(const std::string& parent, const std::string& label);

    // The next message of the file, at byte offsets [start, end); bytes
    // between it and the one before belong to no folder.
    void add(uint64_t start, uint64_t end, uint32_t folder);

    size_t size() const { return starts_.size(); }
    uint64_t start(size_t i) const { return starts_[i]; }
    uint64_t end(size_t i) const { return i + 1 < starts_.size() ? starts_[i + 1] : end_; }
    uint32_t folder(size_t i) const { return folders_[i]; }
    const std::vector<Folder>& folders() const { return folderList_; }
    // The bytes of every message with a folder.
    uint64_t bytes() const { return bytes_; }

    // The messages of every folder in file order, folder after folder:
    // those of folder f are [begins[f], begins[f + 1]) of the result.
    std::vector<size_t> messagesByFolder(std::vector<size_t>& begins) const;

private:
    std::vector<uint64_t> starts_;
    std::vector<uint32_t> folders_;
    uint64_t end_ = 0;
    uint64_t bytes_ = 0;
    std::vector<Folder> folderList_;
    std::unordered_map<std::string, uint32_t> byArchivePath_;
};

}  // namespace tessaly
