// message_files.h - the message files of a Maildir or MH folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sources/folder_info.h"

namespace tessaly {

struct MessageFile {
    std::string path;  // absolute
    uint64_t size = 0;
    // Flagged "T" (trashed) in a Maildir: deleted in the mail program, which
    // removes it when it next expunges the folder.
    bool trashed = false;
};

// Whether `dir` is a Maildir folder (it has cur/ or new/).
bool isMaildirFolder(const std::string& dir);
// Whether `dir` is an MH folder: it holds at least one file whose name is
// a positive number, or an .mh_sequences file, and is no Maildir folder.
bool isMhFolder(const std::string& dir);

// The message files of the Maildir folder `dir` (cur/ and new/, names not
// beginning with "."), in delivery-time order: by the delivery time the
// name begins with, then by name; a name without one sorts by its file
// time.
std::vector<MessageFile> maildirMessageFiles(const std::string& dir);
// The message files of the MH folder `dir` (names that are positive
// numbers), in numeric order.
std::vector<MessageFile> mhMessageFiles(const std::string& dir);
// The message files of a Maildir or MH folder entry (by its storage);
// empty for other entries.
std::vector<MessageFile> folderMessageFiles(const TDbxFolderInfo& entry);

}  // namespace tessaly
