// html_page.h - archiving a parsed message as one HTML page with its
// attachment files.
#pragma once

#include <string>

#include "app/run.h"
#include "message/model.h"

namespace tessaly {

// Writes the page of `info` (with checksumKey and folderName set) and its
// attachment files, unless the message is already in the archive. The
// parts are re-classified and renamed in place.
void writeHtmlMessage(ArchiveRun& run, TMessageInfo& info, const std::string& archiveFolder,
                      const std::string& subfolderPath, bool useSubfolders);

}  // namespace tessaly
