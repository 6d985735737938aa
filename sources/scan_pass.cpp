// scan_pass.cpp - the scanning pass shared by the mailbox and DBX jobs.
#include "sources/scan_pass.h"

#include "message/text.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "sources/message_files.h"

namespace tessaly {

const char kCannotOpenLine[] = "Error: <a href=\"help:err_openfile.html\">cannot open file</a> - ";
const char kTruncatedLine[] =
    "Error: file <a href=\"help:err_mapfile.html\">was truncated while being read</a> - ";

std::string entryPath(const TDbxFolderInfo& entry) {
    // A file in the root folder has "/" as its folder.
    const bool slashed = !entry.directory.empty() && entry.directory.back() == '/';
    return entry.directory + (slashed ? "" : "/") + entry.fileName;
}

void logFileProblem(JobRun& run, const char* literal, const std::string& path,
                    bool withSystemError) {
    std::string line = literal + htmlEscape(path);
    if (withSystemError) line += " - " + htmlEscape(systemErrorText());
    run.runProblem(line);
}

std::vector<TDbxFolderInfo> scanSourceFiles(JobRun& run,
                                            const std::vector<TDbxFolderInfo>& entries,
                                            const SourceFileRules& rules, uint64_t& totalBytes) {
    const char kScanning[] = "Scanning folders...";
    std::vector<TDbxFolderInfo> work;
    run.setProgress(kScanning, 0, "", 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        const TDbxFolderInfo& entry = entries[i];
        run.setProgress(kScanning, ratio(static_cast<double>(i + 1), static_cast<double>(entries.size())),
                        entry.name, 0);
        if (entry.storage == FolderStorage::None) continue;
        if (entry.storage != FolderStorage::File) {
            if (!isFolder(entry.directory)) {
                logFileProblem(run, kCannotOpenLine, entry.directory, true);
                continue;
            }
            uint64_t size = 0;
            const std::vector<MessageFile> files = folderMessageFiles(entry);
            for (const MessageFile& file : files) size += file.size;
            if (files.empty()) continue;
            totalBytes += size;
            work.push_back(entry);
            work.back().size = size;
            continue;
        }
        const std::string path = entryPath(entry);
        uint64_t size = 0;
        if (!readableFileSize(path, size)) {
            logFileProblem(run, kCannotOpenLine, path, true);
        } else if (size >= rules.sizeLimit) {
            logFileProblem(run, "Error: file <a href=\"help:err_toobig.html\">is too big to process</a> - ",
                           path, false);
        } else if (size == 0) {
            logFileProblem(run, "Error: file <a href=\"help:err_notbmf.html\">is empty</a> - ", path, false);
        } else if (!rules.isValid(path)) {
            logFileProblem(run, rules.notValidLiteral, path, false);
        } else {
            totalBytes += size;
            work.push_back(entry);
            work.back().size = size;
        }
    }
    return work;
}

}  // namespace tessaly
