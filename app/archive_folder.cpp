// archive_folder.cpp - recognising a folder that already holds an archive.
#include "app/archive_folder.h"

#include <vector>

#include "platform/files.h"

namespace tessaly {

namespace {

bool hasStylesheet(const std::string& folder) { return pathExists(folder + "/folvane.css"); }

bool isEmlName(const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0;
}

// One level of subfolders only: choosing a big folder such as the home
// folder must not walk all of it.
bool check(const std::string& folder, bool emlCounts) {
    if (hasStylesheet(folder)) return true;
    std::vector<FolderEntry> entries;
    if (!listFolder(folder, entries)) return false;
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder && hasStylesheet(folder + "/" + entry.name)) return true;
        if (emlCounts && !entry.isFolder && isEmlName(entry.name)) return true;
    }
    return false;
}

}  // namespace

bool holdsArchiveStylesheet(const std::string& folder) { return check(folder, false); }

bool holdsArchive(const std::string& folder) { return check(folder, true); }

}  // namespace tessaly
