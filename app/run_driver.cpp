// run_driver.cpp - begin, job, end: the run around every archiving job.
#include "app/run_driver.h"

#include <utility>

#include "browse/archive_update.h"
#include "mapi/outlook.h"
#include "message/text.h"
#include "sources/dbx_job.h"
#include "sources/eml_to_mailbox.h"
#include "sources/mailbox.h"
#include "sources/mailbox_job.h"

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

// The catalogue made anew from the files, then every browse page and the
// search files.
void reindexArchive(ArchiveRun& run, const std::string& root) {
    RunCatalogue state = openRunCatalogue(run, run.decoder, root, true);
    if (!state.catalogue || state.catalogue->isNew()) return;  // none to be had, or stopped
    updateBrowseFiles(run, run.decoder, state);
}

void runJob(ArchiveRun& run, const JobRequest& request) {
    if (request.source == SourceKind::EmlToMailbox) {
        run.packedMailboxes = convertEmlFolders(run, request.archiveFolder);
        return;
    }
    if (request.source == SourceKind::Reindex) {
        reindexArchive(run, request.archiveFolder);
        return;
    }
    ArchiveWriter writer(run, run.decoder, {request.archiveFolder, request.format, request.useSubfolders});
    RunCatalogue catalogue;
    writer.setCatalogueOpener([&] {
        catalogue = openRunCatalogue(run, run.decoder, request.archiveFolder);
        if (SearchFeeder* search = catalogue.search.get()) {
            writer.batch().setPlacedRowSink([search](const CatalogueRow& row) { search->add(row); });
        }
        return std::move(catalogue.catalogue);
    });
    switch (request.source) {
        case SourceKind::Mailboxes: archiveMailboxes(writer, request.files, {request.labelFolders}); break;
        case SourceKind::DbxFolders: archiveDbxFolders(writer, request.files); break;
        case SourceKind::Outlook: RunMapiJob(writer, request.outlookFolders, request.outlookFolderIds); break;
        case SourceKind::None:
        case SourceKind::EmlToMailbox:
        case SourceKind::Reindex: break;
    }
    // What the run archived is in place; the pages made from it follow.
    catalogue.catalogue = writer.finish();
    updateBrowseFiles(run, run.decoder, catalogue);
}

}  // namespace

void driveRun(ArchiveRun& run, const JobRequest& request, RunSinks sinks) {
    const SinksInstalled installed(run);
    run.messagePump = std::move(sinks.pump);
    run.beginRun(sinks.owner, std::move(sinks.progress), std::move(sinks.log));
    if (request.source == SourceKind::EmlToMailbox) {
        // The folder is the packer's source: nothing is made in it.
        runJob(run, request);
    } else {
        const ConfinedRoot confined = prepareArchiveRoot(request.archiveFolder, request.format == OutputFormat::Html);
        runJob(run, request);
    }
    run.endRun();
}

}  // namespace tessaly
