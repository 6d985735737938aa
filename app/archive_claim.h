// archive_claim.h - before a run writes into an archive folder: the folder
// made, found writable, and held against a second run into it (two runs
// would interleave their batches, journals and names).
#pragma once

#include <string>

#include "app/run_driver.h"
#include "platform/file_lock.h"

namespace tessaly {

// The lock file below the archive root.
inline constexpr const char* kArchiveLockName = ".tessaly/run.lock";

// Holds the archive folder for one run while it lives.
class ArchiveClaim {
public:
    // Empty when the run may go on (the claim then holds the folder);
    // otherwise the one sentence to show the user, in plain text. A job
    // that writes no archive (packing .eml folders) claims nothing.
    std::string claim(const JobRequest& request);

private:
    FileLock lock_;
};

}  // namespace tessaly
