// run_sequence.cpp - the archiving run started by "webf:go".
#include "app/run_sequence.h"


#include "app/dispatch.h"
#include "app/page_frame.h"
#include "app/settings.h"
#include "archive/stylesheet.h"
#include "mapi/outlook.h"
#include "platform/ascii.h"
#include "sources/dbx_job.h"
#include "sources/eml_to_mailbox.h"
#include "sources/mailbox.h"
#include "message/text.h"

namespace tessaly {

namespace {

// The archiving page's log: each line goes into the problem log, and the
// whole log is shown in the page's "messages" element when it is there.
ArchiveRun::LogSink archivingPageLog(Wizard& wizard) {
    return [&wizard](const std::string& line) {
        ArchiveRun& run = wizard.run;
        run.problemLog.append("<p>" + line + "</p>\r\n");
        wizard.shell.setInnerHtml("messages", std::string(run.problemLog.view()));
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

void runJob(Wizard& wizard, bool html) {
    Settings& settings = wizard.settings;
    ArchiveRun& run = wizard.run;
    const std::string source = asciiLower(settings.source);
    if (source == "mapi") {
        RunMapiJob(run, settings.mapifolders, settings.savedir, html, settings.usesubfolders);
    } else if (source == "bmf") {
        archiveMailboxes(run, settings.mailboxFiles, settings.savedir, settings.usesubfolders);
    } else if (source == "eml") {
        convertEmlFolders(run, settings.savedir);
    } else if (source == "dbx") {
        if (settings.dbxFilesToArchive.empty()) settings.dbxFilesToArchive = tickedDbxFolders(settings);
        archiveDbxFolders(run, settings.dbxFilesToArchive, settings.savedir, settings.usesubfolders);
    }
}

}  // namespace

void runArchiving(Wizard& wizard) {
    ArchiveRun& run = wizard.run;
    Settings& settings = wizard.settings;
    // Keys may reach the dispatcher while a job pumps events.
    if (run.running) return;

    const bool firstRunEver = !settings.viruswarned;
    settings.viruswarned = true;
    saveSettings(settings);

    // Writing the archiving page empties the problem log. The page loads
    // while the job pumps events.
    showPage(wizard, "webf:go");

    const bool html = settings.saveformat != "eml";
    WizardShell& shell = wizard.shell;
    run.messagePump = [&shell] { return shell.pumpEvents(); };
    run.beginRun(shell.mainWindow(), pumpingProgress(wizard), archivingPageLog(wizard), settings.savedir, html);
    // Never overwrites a stylesheet the user may have edited; failures are
    // ignored, the pages refer to it all the same.
    if (html) writeStylesheet(settings.savedir);

    runJob(wizard, html);

    run.endRun();
    // The sinks refer to this wizard and its shell; the record outlives them.
    run.logSink = nullptr;
    run.progressSink = nullptr;
    run.messagePump = nullptr;
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
