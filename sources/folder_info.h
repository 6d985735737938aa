// folder_info.h - one mail folder as the pages list it and the jobs archive
// it: an Outlook Express store folder, a picked .dbx file or a mailbox file.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

struct TDbxFolderInfo {
    std::string name;
    // Ancestors below the top level, joined by "/"; empty for picked files.
    std::string parentPath;
    // The top-level ancestor (account or local folders); empty for files.
    std::string storeName;
    // storeName + "/" + parentPath + "/" + name, leaving out empty parts.
    std::string folderPath;
    std::string fileName;
    std::string directory;
    int32_t depth = 0;
    // 0 top-level node; 1 to 5 special folder number; 6 any other folder.
    uint8_t kind = 6;
    // Filled by the jobs' scanning pass.
    uint32_t size = 0;
};

}  // namespace tessaly
