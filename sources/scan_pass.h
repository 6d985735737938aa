// scan_pass.h - the first pass of the file jobs: which chosen files can be
// archived, and how many bytes they hold together.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/job_run.h"
#include "sources/folder_info.h"

namespace tessaly {

// directory + "/" + fileName, with one "/" between them
std::string entryPath(const TDbxFolderInfo& entry);

// Logs `literal` + the escaped path, and " - " + the system error text when
// asked for.
void logFileProblem(JobRun& run, const char* literal, const std::string& path,
                    bool withSystemError);

extern const char kCannotOpenLine[];
// Logged, with the path, for a file that shrank while a job read it.
extern const char kTruncatedLine[];

// What the scanning pass asks of a job's files.
struct SourceFileRules {
    std::function<bool(const std::string&)> isValid;
    const char* notValidLiteral = "";  // the problem line of a file that fails `isValid`
    uint64_t sizeLimit = UINT64_MAX;    // files this size or larger are "too big"
};

// Shows "Scanning folders..." progress and keeps, in order, the entries
// whose file opens, is below the size limit, is not empty and passes the
// validity test, with their sizes; every other file gets a problem line.
// A Maildir or MH folder is kept with the size of its message files when
// it can be read and holds any; an empty one is left out without a word.
// Adds the sizes to `totalBytes`.
std::vector<TDbxFolderInfo> scanSourceFiles(JobRun& run,
                                            const std::vector<TDbxFolderInfo>& entries,
                                            const SourceFileRules& rules, uint64_t& totalBytes);

}  // namespace tessaly
