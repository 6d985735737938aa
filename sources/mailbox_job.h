// mailbox_job.h - the mailbox job with its choices: a Gmail Takeout
// mailbox (its messages carry X-Gmail-Labels) is archived into one folder
// per label below the mailbox's own folder, each message once.
#pragma once

#include <vector>

#include "archive/archive_writer.h"
#include "sources/folder_info.h"

namespace tessaly {

struct MailboxJobOptions {
    // Takeout mailboxes into label folders; off, every mailbox is one folder.
    bool labelFolders = true;
};

// archiveMailboxes (mailbox.h) with `options`. A mailbox file is a Takeout
// mailbox when the first messages past the server's folder data (up to
// kLabelTestMessages) all carry the field. Its messages then go in two
// passes: the first finds them and their folders (labelFolder), the second
// archives them folder by folder, in file order within each.
void archiveMailboxes(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries,
                      const MailboxJobOptions& options);

// How many messages tell a Takeout mailbox.
inline constexpr size_t kLabelTestMessages = 20;

}  // namespace tessaly
