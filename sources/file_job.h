// file_job.h - the skeleton of every job over source files (mailboxes,
// .dbx files): the scanning pass, then file by file the progress, the
// target folder, the file's own reading, and the closing of the folder.
//
// A new kind of source file is a test of the file and a function that reads
// one file and hands its messages to the target folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "sources/folder_info.h"
#include "sources/scan_pass.h"

namespace tessaly {

// The text of the first progress bar while files are archived.
inline constexpr const char* kOverallProgress = "Overall";

// Where one file stands in the job's overall progress.
struct FileShare {
    double startFraction = 0;  // of all the job's bytes, before this file
    uint64_t totalBytes = 0;   // of all the files being archived
};

// Reads one file that passed the scanning pass and archives its messages
// into `target`.
using ArchiveFileFunction =
    std::function<void(const TDbxFolderInfo& entry, TargetFolder& target, const FileShare& share)>;

// Runs the scanning pass (scan_pass.h) over `entries`, then, until a stop
// is requested, opens the target folder of each file that passed, calls
// `archiveFile` and closes the folder.
void runFileJob(ArchiveWriter& writer, const std::vector<TDbxFolderInfo>& entries, const SourceFileRules& rules,
                const ArchiveFileFunction& archiveFile);

// The folder's name as problem lines begin their description: its parents
// and name, HTML-escaped, ending in "/".
std::string folderTitle(const TDbxFolderInfo& entry);

}  // namespace tessaly
