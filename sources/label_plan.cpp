// label_plan.cpp - the messages and label folders of a Takeout mailbox.
#include "sources/label_plan.h"

#include "archive/naming.h"
#include "message/gmail_labels.h"

namespace tessaly {

uint32_t LabelPlan::folderFor(const std::string& parent, const std::string& label) {
    std::string below = labelFolderPath(label);
    if (below.empty()) below = "Archived";
    std::string path = parent.empty() ? below : parent + "/" + below;
    // The archive folder is what decides: "../x" and "__/x" are one folder.
    const auto [at, added] =
        byArchivePath_.emplace(safeFolderPath(path), static_cast<uint32_t>(folderList_.size()));
    if (added) folderList_.push_back({label, std::move(path), 0});
    return at->second;
}

void LabelPlan::add(uint64_t start, uint64_t end, uint32_t folder) {
    if (start > end_ && !starts_.empty()) {
        starts_.push_back(end_);
        folders_.push_back(kNoFolder);
    }
    starts_.push_back(start);
    folders_.push_back(folder);
    end_ = end;
    if (folder != kNoFolder) {
        folderList_[folder].bytes += end - start;
        bytes_ += end - start;
    }
}

std::vector<size_t> LabelPlan::messagesByFolder(std::vector<size_t>& begins) const {
    begins.assign(folderList_.size() + 1, 0);
    for (const uint32_t folder : folders_) {
        if (folder != kNoFolder) ++begins[folder + 1];
    }
    for (size_t f = 1; f < begins.size(); ++f) begins[f] += begins[f - 1];
    std::vector<size_t> order(begins.back());
    std::vector<size_t> next(begins.begin(), begins.end() - 1);
    for (size_t i = 0; i < folders_.size(); ++i) {
        if (folders_[i] != kNoFolder) order[next[folders_[i]]++] = i;
    }
    return order;
}

}  // namespace tessaly
