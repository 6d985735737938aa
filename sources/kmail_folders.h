// kmail_folders.h - KMail's local folders (~/.local/share/local-mail):
// Maildir folders, the subfolders of NAME in .NAME.directory/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sources/store_tree.h"

namespace tessaly {

// The name KMail shows for a folder at the top of its tree: "inbox" is
// "Inbox", "sent-mail" "Sent" and so on; other names as they are.
std::string kmailFolderName(std::string_view dirName);

// The folders of the KMail root `root`, sorted as KMail lists them: Inbox,
// Outbox, Sent, Trash, Drafts, Templates, then the others by name. A
// .NAME.directory without NAME that holds folders gives a folder of no
// messages.
std::vector<StoreNode> kmailFolders(const std::string& root);

// Whether `root` is laid out as KMail keeps its folders: a Maildir folder
// with a .NAME.directory beside it, or KMail's "inbox" with its "outbox"
// or "sent-mail".
bool looksLikeKmailRoot(const std::string& root);

}  // namespace tessaly
