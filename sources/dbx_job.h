// dbx_job.h - archiving Outlook Express folder files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/run.h"
#include "message/marker.h"
#include "sources/folder_info.h"

namespace tessaly {

// Archives every message of the given .dbx folder files; messages whose
// text is not in the file are reported as offline.
void archiveDbxFolders(ArchiveRun& run, const std::vector<TDbxFolderInfo>& entries,
                       const std::string& archiveFolder, bool useSubfolders);

// Collects the boundary lines of one message text: a line beginning "--"
// after any line end (never the first line). `chunk` is called with the
// bytes scanned at each chunk end.
void scanDbxMessageText(const char* begin, const char* end, std::vector<TMarker>& markers,
                        const std::function<void(size_t scanned)>& chunk);

}  // namespace tessaly
