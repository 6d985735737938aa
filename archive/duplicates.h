// duplicates.h - recognising messages already in the archive or already
// written in this run, the offline report, and the lines and steps that end
// every archived message: the create failure and the file-time rule.
#pragma once

#include <string>

#include "archive/archived_paths.h"
#include "archive/catalogue_row.h"
#include "archive/commit_batch.h"
#include "archive/job_run.h"
#include "archive/name_numbers.h"
#include "archive/staged_files.h"
#include "platform/time.h"

namespace tessaly {

// The tag that keeps a message's content key with its page or EML file.
inline constexpr const char* kContentTag = "content";

// Where the message goes: `stem` + `extension`, or, when a different message
// already has that name, the first of `stem` + ";2", ";3" ... that is free or
// holds this same message. Empty when the message must be skipped: its
// file is there from an earlier run (already archived) or was written
// earlier in this run (a duplicate); that is counted and logged once or
// twice per folder. Otherwise the path is recorded as written for
// `subfolderPath` with `contentKey`.
//
// A file from an earlier run is the same message when its content key
// says so; an EML file without one is compared by its bytes (and gets the
// key); a page without one (written before keys were kept, or on a file
// system that keeps none) is taken to be the same, as names alone once
// decided.
//
// What the search learns of taken numbers is kept in `numbers`, so that
// many messages of one name cost one or two looks at the disk each.
std::string claimArchivePath(JobRun& run, CommitBatch& batch, ArchivedPaths& archived, NameNumbers& numbers,
                             const std::string& stem, const std::string& extension,
                             const std::string& subfolderPath, const std::string& contentKey);

// Counts a message whose text was not available offline; logs the first two
// of a folder.
void reportOffline(JobRun& run);

// The line for an archive file that cannot be created, without the
// message's description: the file's name and the system error.
std::string createFailureLine(const std::string& path);
// That line about the current message, which counts as having a problem.
void reportCreateFailure(JobRun& run, const std::string& path);

// Whether `error` says the archive's disk is full: the run's one stop line
// then stands for every message not archived, which gets none of its own.
bool isDiskFull(int error);

// When `error` says the archive's disk is full or gone (pulled out, its
// connection lost, made read-only after faults), ends the run after the
// current message with one line: every message after it would fail too.
void stopWhenDiskLost(JobRun& run, int error);

// Gives the finished page or EML file the message's time (a failure is a
// warning naming its path) and hands the message's files to the batch.
// When they cannot be completed, the create failure is logged; when the
// source file shrank meanwhile, nothing (the job reports the file).
// The content key (when known) goes with the file as its tag. `row` is the
// message's catalogue row.
void finishArchiveFile(JobRun& run, CommitBatch& batch, MessageFiles files, const FILETIME& time,
                       const std::string& contentKey, CatalogueRow row);

}  // namespace tessaly
