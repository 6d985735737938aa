// page_files.h - writing browse pages crash-safely and quickly: every page
// under a temporary name first, one sync of the file system for all, then
// each page put in place; a page whose file already holds the same bytes
// is left alone.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tessaly {

class PageFiles {
public:
    PageFiles() = default;
    // Pages not yet in place are discarded.
    ~PageFiles() = default;
    PageFiles(const PageFiles&) = delete;
    PageFiles& operator=(const PageFiles&) = delete;

    // Writes `content` for `path`; false when the page cannot be written.
    // It reaches its name with the next commit.
    bool write(const std::string& path, const std::string& content);
    // Syncs and puts every written page in place; false when one failed.
    bool commit();

private:
    static constexpr size_t kMaxWaiting = 8192;
    std::vector<std::unique_ptr<OutputFile>> waiting_;
};

// Writes `content` to `path` unless a file is there already (a stylesheet
// people may have edited); staged, so no half file is ever left.
void writeFileWhenMissing(const std::string& path, const std::string& content);

// Removes the files of `folder` (ending in "/") that isFolderPageName calls pages but that
// `kept` (file names, sorted) does not hold, and interrupted temporaries.
// False when the folder cannot be read or a file not removed.
bool removeOtherPages(const std::string& folder, const std::vector<std::string>& kept);

}  // namespace tessaly
