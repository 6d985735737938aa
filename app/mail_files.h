// mail_files.h - mail files named on a command line or picked in a dialog:
// which kind a path is by its extension, the rule that one list gives files
// of one kind only, and a picked file as a folder entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sources/folder_info.h"

namespace tessaly {

enum class MailFileKind { Pst, Dbx, Mailbox };

// The extension of the path's last name, in lower case ("" when none).
std::string lowerExtension(std::string_view path);

// ".pst" and ".dbx" files by their extension in any case; anything else is
// taken for a mailbox.
MailFileKind mailFileKind(std::string_view path);

// The files of the kind the list is taken as, in their order: .pst files
// when there are any, else .dbx files, else the mailboxes.
std::vector<std::string> filesOfOneKind(const std::vector<std::string>& paths);

// The paths sorted into the three kinds, in the order the command line
// tries them: .pst, .dbx, mailboxes.
std::vector<std::vector<std::string>> filesByKind(const std::vector<std::string>& paths);

// Whether the path names an Outlook Express store's folder-tree file,
// "Folders.dbx" in any case.
bool isFolderTreeFile(std::string_view path);

// A picked file as a folder entry: named after the file, without a ".bmf" or
// ".dbx" extension. A bare name lies in the current folder.
TDbxFolderInfo pickedFileEntry(const std::string& path);

}  // namespace tessaly
