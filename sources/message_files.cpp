// message_files.cpp - placeholder until the Maildir and MH listing lands.
#include "sources/message_files.h"

namespace tessaly {

bool isMaildirFolder(const std::string&) { return false; }
bool isMhFolder(const std::string&) { return false; }
std::vector<MessageFile> maildirMessageFiles(const std::string&) { return {}; }
std::vector<MessageFile> mhMessageFiles(const std::string&) { return {}; }
std::vector<MessageFile> folderMessageFiles(const TDbxFolderInfo&) { return {}; }

}  // namespace tessaly
