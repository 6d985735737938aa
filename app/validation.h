// validation.h - checking picked or command-line files before they are
// archived: mailbox files and Outlook Express folder files.
#pragma once

#include <string>
#include <vector>

#include "app/wizard.h"
#include "sources/folder_info.h"

namespace tessaly {

// Fills `mailboxFiles` with the files that pass the mailbox test, tells the
// user about the others in one message box, and returns how many passed.
// `bmfext` becomes whether every accepted file ends in ".bmf".
size_t validateMailboxFiles(Wizard& wizard, const std::vector<std::string>& files);

// The same for .dbx folder files, into `dbxFilesToArchive`; each entry is
// named after the folder name the file holds.
size_t validateDbxFiles(Wizard& wizard, const std::vector<std::string>& files);

// A picked file as a folder entry: its folder, its name, and as folder
// name the file name without a ".bmf" or ".dbx" extension (any case).
TDbxFolderInfo pickedFileEntry(const std::string& path);

}  // namespace tessaly
