// commit_batch.h - archived messages whose files are written and closed
// but not yet in place: they reach the disk together, with one sync of the
// file system for many messages instead of one per file, and only then get
// their final names.
//
// Until then their names count as taken (isNameTaken), so that duplicates
// and attachment names are judged as if the files were in place already.
#pragma once

#include <string>

#include "app/run.h"
#include "archive/staged_files.h"

namespace tessaly {

// While one lives, finished messages wait to be put in place together (a
// job holds one for its run); without one, each message is synced and put
// in place at once. Its end puts the waiting messages in place.
class BatchedCommits {
public:
    explicit BatchedCommits(ArchiveRun& run);
    ~BatchedCommits();
    BatchedCommits(const BatchedCommits&) = delete;
    BatchedCommits& operator=(const BatchedCommits&) = delete;

private:
    ArchiveRun& run_;
};

// Takes a message whose files are complete (MessageFiles::complete). The
// waiting messages are put in place first when there are many, when they
// hold many bytes or when the oldest has waited a while. Without
// BatchedCommits the message is put in place at once; false when it could
// not be (the error is recorded).
bool stageMessage(ArchiveRun& run, MessageFiles files);

// Syncs and puts every waiting message in place. A message that cannot be
// is reported as a create failure under its own description. Call it
// before a folder's files are looked at as a whole (the end of a folder,
// the end of a job).
void commitStagedMessages(ArchiveRun& run);

// True when `path` exists or is the final name of a waiting file.
bool isNameTaken(const std::string& path);

}  // namespace tessaly
