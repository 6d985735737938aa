// duplicates.h - recognising messages already in the archive or already
// written in this run, the offline report and the file-time rule.
#pragma once

#include <string>

#include "app/run.h"
#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

// True when the message at `path` must be skipped: the file is there from
// an earlier run (already archived) or was written earlier in this run
// (a duplicate). Counts and logs once or twice per folder. When false, the
// caller records the path with recordArchivedPath before creating files.
bool checkAlreadyArchived(ArchiveRun& run, const std::string& path);
void recordArchivedPath(ArchiveRun& run, const std::string& path, const std::string& subfolderPath);

// Counts a message whose text was not available offline; logs the first two
// of a folder.
void reportOffline(ArchiveRun& run);

// The line logged when an archive file cannot be created.
void reportCreateFailure(ArchiveRun& run, const std::string& path);

// Gives a finished archive file the message's time and closes it; a failure
// to set the time is a warning naming `path`.
void finishArchiveFile(ArchiveRun& run, OutputFile& file, const FILETIME& time,
                       const std::string& path);

}  // namespace tessaly
