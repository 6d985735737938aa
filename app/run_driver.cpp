// run_driver.cpp - begin, job, end: the run around every archiving job.
#include "app/run_driver.h"

#include <utility>

#include "mapi/outlook.h"
#include "sources/dbx_job.h"
#include "sources/eml_to_mailbox.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// Takes the sinks back when the run ends, however it ends.
class SinksInstalled {
public:
    explicit SinksInstalled(ArchiveRun& run) : run_(run) {}
    ~SinksInstalled() {
        run_.logSink = nullptr;
        run_.progressSink = nullptr;
        run_.messagePump = nullptr;
    }
    SinksInstalled(const SinksInstalled&) = delete;
    SinksInstalled& operator=(const SinksInstalled&) = delete;

private:
    ArchiveRun& run_;
};

void runJob(ArchiveRun& run, const JobRequest& request) {
    if (request.source == SourceKind::EmlToMailbox) {
        convertEmlFolders(run, request.archiveFolder);
        return;
    }
    ArchiveWriter writer(run, run.decoder, {request.archiveFolder, request.format, request.useSubfolders});
    switch (request.source) {
        case SourceKind::Mailboxes: archiveMailboxes(writer, request.files); break;
        case SourceKind::DbxFolders: archiveDbxFolders(writer, request.files); break;
        case SourceKind::Outlook: RunMapiJob(writer, request.outlookFolders); break;
        case SourceKind::None:
        case SourceKind::EmlToMailbox: break;
    }
}

}  // namespace

void driveRun(ArchiveRun& run, const JobRequest& request, RunSinks sinks) {
    const SinksInstalled installed(run);
    run.messagePump = std::move(sinks.pump);
    run.beginRun(sinks.owner, std::move(sinks.progress), std::move(sinks.log));
    prepareArchiveRoot(request.archiveFolder, request.format == OutputFormat::Html);
    runJob(run, request);
    run.endRun();
}

}  // namespace tessaly
