// validation.h - checking picked or command-line files before they are
// archived: mailbox files, Outlook Express folder files and store folders.
#pragma once

#include <string>
#include <vector>

#include "app/mail_files.h"
#include "app/wizard.h"

namespace tessaly {

// Fills `mailboxFiles` with the files that pass the mailbox test and
// returns how many passed; `message` says which files were not found and
// which are no mailboxes (empty when all passed). `bmfext` becomes whether
// every accepted file ends in ".bmf".
size_t acceptMailboxFiles(Settings& settings, const std::vector<std::string>& files, std::string& message);
// The same for .dbx folder files, into `dbxFilesToArchive`; each entry is
// named after the folder name the file holds.
size_t acceptDbxFiles(Settings& settings, const std::vector<std::string>& files, std::string& message);

// As above, telling the user about the rejected files in one message box.
size_t validateMailboxFiles(Wizard& wizard, const std::vector<std::string>& files);
size_t validateDbxFiles(Wizard& wizard, const std::vector<std::string>& files);

// Whether `folder` holds an Outlook Express store: its Folders.dbx.
bool isDbxStoreFolder(const std::string& folder);
// Takes a store folder as the source and shows its folder tree; a folder
// without Folders.dbx is refused in a message box.
void openDbxStore(Wizard& wizard, const std::string& folder);

}  // namespace tessaly
