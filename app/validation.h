// validation.h - checking picked or command-line files before they are
// archived: mailbox files and Outlook Express folder files.
#pragma once

#include <string>
#include <vector>

#include "app/mail_files.h"
#include "app/wizard.h"

namespace tessaly {

// Fills `mailboxFiles` with the files that pass the mailbox test, tells the
// user about the others in one message box, and returns how many passed.
// `bmfext` becomes whether every accepted file ends in ".bmf".
size_t validateMailboxFiles(Wizard& wizard, const std::vector<std::string>& files);

// The same for .dbx folder files, into `dbxFilesToArchive`; each entry is
// named after the folder name the file holds.
size_t validateDbxFiles(Wizard& wizard, const std::vector<std::string>& files);

}  // namespace tessaly
