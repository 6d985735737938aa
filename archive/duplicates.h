// duplicates.h - recognising messages already in the archive or already
// written in this run, the offline report, and the lines and steps that end
// every archived message: the create failure and the file-time rule.
#pragma once

#include <string>
#include <unordered_map>

#include "archive/commit_batch.h"
#include "archive/job_run.h"
#include "archive/staged_files.h"
#include "platform/time.h"

namespace tessaly {

// The page and EML files written in this run, by lower-cased full path,
// with the relative subfolder path (ending in "/") of their source folder.
class ArchivedPaths {
public:
    // The subfolder path `path` was written for, or null.
    const std::string* find(const std::string& path) const;
    void record(const std::string& path, const std::string& subfolderPath);

private:
    std::unordered_map<std::string, std::string> paths_;
};

// True when the message at `path` must be skipped: the file is there from
// an earlier run (already archived) or was written earlier in this run
// (a duplicate). Counts and logs once or twice per folder. When false, the
// path is recorded as written for `subfolderPath`.
bool claimArchivePath(JobRun& run, CommitBatch& batch, ArchivedPaths& archived, const std::string& path,
                      const std::string& subfolderPath);

// Counts a message whose text was not available offline; logs the first two
// of a folder.
void reportOffline(JobRun& run);

// The line for an archive file that cannot be created, without the
// message's description: the file's name and the system error.
std::string createFailureLine(const std::string& path);
// That line about the current message, which counts as having a problem.
void reportCreateFailure(JobRun& run, const std::string& path);

// Gives the finished page or EML file the message's time (a failure is a
// warning naming its path) and hands the message's files to the batch.
// When they cannot be completed, the create failure is logged; when the
// source file shrank meanwhile, nothing (the job reports the file).
void finishArchiveFile(JobRun& run, CommitBatch& batch, MessageFiles files, const FILETIME& time);

}  // namespace tessaly
