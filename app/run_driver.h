// run_driver.h - one archiving run, the same for the wizard and for the
// command line: a job request (which source, which inputs, where and how
// to archive) and the sinks the front end shows it with.
#pragma once

#include <string>
#include <vector>

#include "app/run.h"
#include "archive/archive_writer.h"
#include "sources/folder_info.h"

namespace tessaly {

enum class SourceKind {
    None,          // no job: the run begins and ends
    Mailboxes,     // `files` are mailbox files
    DbxFolders,    // `files` are Outlook Express folder files
    Outlook,       // `outlookFolders` of the open store
    EmlToMailbox,  // `archiveFolder` is the root of the .eml folders (a source: nothing is made in it)
    Reindex,       // `archiveFolder`'s catalogue, browse and search files made anew
};

struct JobRequest {
    SourceKind source = SourceKind::None;
    std::vector<TDbxFolderInfo> files;
    std::vector<std::string> outlookFolders;
    // The entry ids of the ticked folders, when known: they tell apart
    // folders of one name, which `outlookFolders` cannot.
    std::vector<std::string> outlookFolderIds;
    std::string archiveFolder;
    OutputFormat format = OutputFormat::Html;
    bool useSubfolders = true;
    // A mailbox whose messages carry Gmail labels is archived into one
    // folder per label.
    bool labelFolders = true;
};

struct RunSinks {
    void* owner = nullptr;  // the window dialogs belong to
    ArchiveRun::ProgressSink progress;
    ArchiveRun::LogSink log;
    ArchiveRun::MessagePump pump;
};

// Begins the run with the sinks, prepares the archive folder (and for pages
// its stylesheet), runs the request's job through one archive writer and
// ends the run. The record keeps its counts and problem log for the finish
// page, but none of the sinks: they belong to the front end.
void driveRun(ArchiveRun& run, const JobRequest& request, RunSinks sinks);

}  // namespace tessaly
