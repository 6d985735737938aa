// duplicates.h - recognising messages already in the archive or already
// written in this run, the offline report and the file-time rule.
#pragma once

#include <string>

#include "app/run.h"
#include "archive/staged_files.h"
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

// " (<folder><message>)": which message a problem line is about.
std::string messageSuffix(const ArchiveRun& run);

// The line logged when an archive file cannot be created, about the
// current message (which counts as having a problem) or the message that
// `suffix` describes.
void reportCreateFailure(ArchiveRun& run, const std::string& path);
void reportCreateFailure(ArchiveRun& run, const std::string& path, const std::string& suffix);

// Gives the finished page or EML file the message's time (a failure is a
// warning naming its path) and hands the message's files over to be put in
// place (commit_batch.h). When they cannot be completed, the create failure
// is logged; when the source file shrank meanwhile, nothing (the job
// reports the file).
void finishArchiveFile(ArchiveRun& run, MessageFiles files, const FILETIME& time);

}  // namespace tessaly
