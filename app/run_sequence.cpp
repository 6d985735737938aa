// run_sequence.cpp - the archiving run started by "webf:go".
#include "app/run_sequence.h"

#include <utility>

#include "app/archive_claim.h"
#include "app/dispatch.h"
#include "app/page_frame.h"
#include "app/run_driver.h"
#include "app/settings.h"
#include "app/store_choice.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessaly {

namespace {

// The archiving page's log: each line goes into the problem log and is
// added to the page's "messages" element when it is there (the whole log
// once, when the page came after the first lines).
ArchiveRun::LogSink archivingPageLog(Wizard& wizard) {
    return [&wizard](const std::string& line) {
        ArchiveRun& run = wizard.run;
        const std::string piece = "<p>" + line + "</p>\r\n";
        run.problemLog.append(piece);
        wizard.shell.appendHtml("messages", piece, run.problemLog.view());
        run.pumpMessages();
    };
}

// The shell's progress display, followed by the event pumping that keeps
// the window alive while the job works (not when the display is hidden).
ArchiveRun::ProgressSink pumpingProgress(Wizard& wizard) {
    return [&run = wizard.run, show = wizard.shell.progressSink()](const std::string& text1, double fraction1,
                                                                   const std::string& text2, double fraction2) {
        if (show) show(text1, fraction1, text2, fraction2);
        if (fraction1 != -1) run.pumpMessages();
    };
}

// The store's folders in list order, each once for every time its name
// was ticked.
std::vector<TDbxFolderInfo> tickedDbxFolders(const Settings& settings) {
    std::vector<TDbxFolderInfo> entries;
    for (const TDbxFolderInfo& folder : currentDbxFolders(settings)) {
        for (const std::string& name : settings.dbxfolders) {
            if (folder.name == name) entries.push_back(folder);
        }
    }
    return entries;
}

// What the settings ask for: the chosen source's files or folders, where
// and how to archive them.
JobRequest requestFor(Settings& settings) {
    JobRequest request;
    request.archiveFolder = settings.savedir;
    request.format = settings.saveformat != "eml" ? OutputFormat::Html : OutputFormat::Eml;
    request.useSubfolders = settings.usesubfolders;
    const std::string source = asciiLower(settings.source);
    if (source == "mapi") {
        // Outlook messages are written as HTML only.
        request.format = OutputFormat::Html;
        request.source = SourceKind::Outlook;
        request.outlookFolders = settings.mapifolders;
        request.outlookFolderIds = settings.mapiFolderIds;
    } else if (source == "bmf") {
        request.source = SourceKind::Mailboxes;
        request.files = settings.mailboxFiles;
    } else if (source == "eml") {
        request.source = SourceKind::EmlToMailbox;
        request.archiveFolder = settings.emldir;
    } else if (source == "store") {
        // The mailbox job archives mailbox files and Maildir and MH folders.
        request.source = SourceKind::Mailboxes;
        request.files = tickedStoreEntries(settings);
    } else if (source == "dbx") {
        request.source = SourceKind::DbxFolders;
        if (settings.dbxFilesToArchive.empty()) settings.dbxFilesToArchive = tickedDbxFolders(settings);
        request.files = settings.dbxFilesToArchive;
    }
    return request;
}

// Why the mailbox packer cannot start on `folder`; empty when it can.
std::string emlFolderRefusal(const std::string& folder) {
    if (folder.empty()) return "Type or choose the folder that holds the EML messages.";
    if (!pathExists(folder)) return "The folder " + folder + " was not found.";
    if (!isFolder(folder)) return folder + " is a file, not a folder of EML messages.";
    return {};
}

}  // namespace

void runArchiving(Wizard& wizard) {
    ArchiveRun& run = wizard.run;
    Settings& settings = wizard.settings;
    // Keys may reach the dispatcher while a job pumps events.
    if (run.running) return;

    // One clear message instead of a run whose every message fails, or two
    // runs into one archive.
    const JobRequest request = requestFor(settings);
    if (request.source == SourceKind::EmlToMailbox) {
        if (const std::string refusal = emlFolderRefusal(request.archiveFolder); !refusal.empty()) {
            wizard.shell.messageBox(refusal, "EML folder", MessageIcon::Warning);
            return;
        }
    }
    ArchiveClaim claim;
    if (const std::string refusal = claim.claim(request); !refusal.empty()) {
        wizard.shell.messageBox(refusal, "Archive folder", MessageIcon::Error);
        return;
    }

    const bool firstRunEver = !settings.viruswarned;
    settings.viruswarned = true;
    saveSettings(settings);

    // Writing the archiving page empties the problem log. The page loads
    // while the job pumps events.
    showPage(wizard, "webf:go");

    WizardShell& shell = wizard.shell;
    RunSinks sinks;
    sinks.owner = shell.mainWindow();
    sinks.progress = pumpingProgress(wizard);
    sinks.log = archivingPageLog(wizard);
    sinks.pump = [&shell] { return shell.pumpEvents(); };
    run.decoder.setDecodeLimit(settings.decodeLimit);
    driveRun(run, request, std::move(sinks));
    // The decoders keep the measured speed up to date.
    settings.decodeLimit = run.decoder.decodeLimit();
    saveSettings(settings);

    if (run.quitRequested) {
        shell.closeMainWindow();
        return;
    }
    // Through the dispatcher, so that back leads to the page the run was
    // started from.
    dispatch(wizard, "webf:done");
    if (firstRunEver) shell.messageBox(kVirusWarning, "Be alert", MessageIcon::Warning);
}

}  // namespace tessaly
