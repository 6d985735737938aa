// finish_page.cpp - the archiving page shown during a run and the finish
// page with the run's statistics and problems.
#include "app/display_path.h"
#include "app/finish_stats.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessaly {

void writeArchivingPage(Wizard& wizard, std::string& page, const std::string&) {
    writeToolbar(wizard, page, "", true);
    page += "<h2>Archiving...</h2>\r\n\r\n<p>Please wait.</p>\r\n\r\n<div id=\"messages\" class=\"log\"></div>\r\n";
    wizard.run.problemLog.clear();
}

namespace {

// The mailbox packer writes no archive: its finish page says where each
// mailbox went, and leads on to archiving them.
void writePackedMailboxes(Wizard& wizard, std::string& page) {
    const ArchiveRun& run = wizard.run;
    page += "<div class=\"alternate\">\r\n";
    if (run.packedMailboxes.empty()) {
        // Without a problem line, no folder was skipped: none held .eml files.
        if (run.folderCount == 0 && !run.stopRequested && run.problemLog.empty()) {
            page += "<p>No mailbox file was written: there are no .eml files in " +
                    htmlEscape(displayPath(wizard.settings.emldir)) + " or in the folders below it.</p>\r\n";
        } else {
            page += "<p>No mailbox file was written.</p>\r\n";
        }
        page += "<div class=\"option\"><a href=\"webf:emlbmf\">";
        page += kBullet;
        page += "Choose another folder</a></div>\r\n";
    } else {
        page += run.packedMailboxes.size() == 1 ? "<p>The mailbox file was written here:</p>\r\n"
                                                : "<p>The mailbox files were written here:</p>\r\n";
        for (const PackedMailbox& mailbox : run.packedMailboxes) {
            page += "<p style=\"margin-left: 3ex;\">" + htmlEscape(mailbox.path);
            if (!mailbox.takenPath.empty()) {
                page += "<br>\r\n(" + htmlEscape(baseName(mailbox.takenPath)) +
                        " was there already, and is left as it is)";
            }
            page += "</p>\r\n";
        }
        page += "<p>What next?</p>\r\n<div class=\"option\"><a href=\"dlg:eml_mailboxes\">";
        page += kBullet;
        page += run.packedMailboxes.size() == 1 ? "Archive this mailbox now" : "Archive these mailboxes now";
        page += "</a></div>\r\n";
    }
    page += "</div>\r\n\r\n";
}

}  // namespace

void writeFinishPage(Wizard& wizard, std::string& page, const std::string&) {
    const ArchiveRun& run = wizard.run;
    writeToolbar(wizard, page, "help:done.html", true);
    page += "<h2>Finished</h2>\r\n\r\n";
    page += finishSummaryHtml(run);
    if (!run.problemLog.empty()) {
        page += "<div class=\"log\">\r\n<p>There were some problems:</p>\r\n";
        page += run.problemLog.view();
        page += "</div>\r\n\r\n";
    }
    if (asciiLower(wizard.settings.source) == "eml") {
        writePackedMailboxes(wizard, page);
        return;
    }
    page += "<div class=\"alternate\">\r\n<p>What next?</p>\r\n";
    if (pathExists(wizard.settings.savedir + "/index.html")) {
        page += "<div class=\"option\"><a href=\"dlg:index.html\"><span style=\"text-decoration: none;\">&bull; </span>"
                "Browse and search the archive</a></div>\r\n";
    }
    page += "<div class=\"option\"><a href=\"dlg:browse.html\"><span style=\"text-decoration: none;\">&bull; </span>"
            "Browse the archive folder</a></div>\r\n"
            "<div class=\"option\"><a href=\"help:cd.html\"><span style=\"text-decoration: none;\">&bull; </span>"
            "Learn about burning the archive onto CD</a></div>\r\n"
            "<div class=\"option\"><a href=\"help:search.html\"><span style=\"text-decoration: none;\">&bull; </span>"
            "Learn about searching the archive</a></div>\r\n";
    page += "</div>\r\n\r\n";
}

}  // namespace tessaly
