// finish_page.cpp - the archiving page shown during a run and the finish
// page with the run's statistics and problems.
#include "app/finish_stats.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "platform/files.h"

namespace tessaly {

void writeArchivingPage(Wizard& wizard, std::string& page, const std::string&) {
    writeToolbar(wizard, page, "", true);
    page += "<h2>Archiving...</h2>\r\n\r\n<p>Please wait.</p>\r\n\r\n<div id=\"messages\" class=\"log\"></div>\r\n";
    wizard.run.problemLog.clear();
}

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
