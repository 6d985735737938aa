// maildir_job.h - archiving the messages of a Maildir or MH folder: one
// file per message, each read through the same per-message step as a
// mailbox's messages.
#pragma once

#include "archive/archive_writer.h"
#include "sources/file_job.h"
#include "sources/folder_info.h"

namespace tessaly {

// Archives the message files of `entry` (storage Maildir or MH) into
// `target` in delivery order, with progress by bytes within `share`. A
// file that vanishes or changes while it is read is one problem line and
// the folder goes on.
void archiveMessageFiles(JobRun& run, const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share);

}  // namespace tessaly
