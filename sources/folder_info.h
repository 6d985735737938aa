// folder_info.h - one mail folder as the pages list it and the jobs archive
// it: an Outlook Express store folder, a picked .dbx file, a mailbox file,
// or a Maildir or MH folder of one file per message.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// How a folder keeps its messages.
enum class FolderStorage : uint8_t {
    File,     // one file: a mailbox or a .dbx file (directory + fileName)
    Maildir,  // `directory` holds cur/ and new/ with one file per message
    MH,       // `directory` holds numbered message files
    None,     // a heading of the folder tree (an account) with no messages
};

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
    FolderStorage storage = FolderStorage::File;
    // Filled by the jobs' scanning pass: the bytes of the file, or of the
    // folder's message files.
    uint64_t size = 0;
};

}  // namespace tessaly
