// dbx_job.h - archiving Outlook Express folder files.
#pragma once

#include <vector>

#include "archive/archive_writer.h"
#include "sources/folder_info.h"

namespace tessaly {

// Archives every message of the given .dbx folder files; messages whose
// text is not in the file are reported as offline.
void archiveDbxFolders(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries);

}  // namespace tessaly
