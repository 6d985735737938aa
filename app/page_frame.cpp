// page_frame.cpp - the common head and end of every page, the toolbar and
// the table of page generators.
#include "app/page_frame.h"

#include <string_view>

#include "app/help_loader.h"
#include "app/pages.h"
#include "platform/ascii.h"
#include "platform/folders.h"

namespace tessaly {

namespace {

using PageGenerator = void (*)(Wizard&, std::string&, const std::string&);

struct PageEntry {
    std::string_view prefix;
    PageGenerator generate;
};

// Tested in this order; the first prefix the URL begins with wins, so
// "webf:emlbmf.html" and URLs with a query find their pages.
constexpr PageEntry kPages[] = {
    {"help:", writeHelpPage},
    {"webf:intro", writeIntroPage},
    {"webf:mapi_folders", writeMapiFoldersPage},
    {"webf:mapi_choose", writeMapiChoosePage},
    {"webf:save", writeSavePage},
    {"webf:go", writeArchivingPage},
    {"webf:done", writeFinishPage},
    {"webf:dbx_choose", writeDbxChoosePage},
    {"webf:dbx_folders", writeDbxFoldersPage},
    {"webf:bmf_choose", writeBmfChoosePage},
    {"webf:emlbmf", writeEmlBmfPage},
    {"webf:store_folders", writeStoreFoldersPage},
};

bool beginsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

void writePage(Wizard& wizard, std::string& page, const std::string& url) {
    page += "<html><head>\r\n<meta charset=\"utf-8\">\r\n<meta http-equiv=\"MSThemeCompatible\" content=\"Yes\">\r\n"
            "<link rel=stylesheet type=\"text/css\" href=\"dialog.css\" title=\"webform dialog\">\r\n"
            "</head><body>\r\n\r\n";
    for (const PageEntry& entry : kPages) {
        if (beginsWith(url, entry.prefix)) {
            entry.generate(wizard, page, url);
            break;
        }
    }
    page += "\r\n</body></html>\r\n";
}

void writeToolbar(Wizard& wizard, std::string& page, const std::string& helpUrl, bool isWizardPage) {
    Navigation& nav = wizard.nav;
    nav.pageHelp = isWizardPage ? helpUrl : "help:index.html";
    page += "<table class=\"top\" style=\"width: 100%;\" cellspacing=0>\r\n<tr>\r\n";
    // The archiving page: no way away from it while the run works.
    const bool noHelpWizardPage = isWizardPage && helpUrl.empty();
    if (nav.history.empty() || noHelpWizardPage) {
        page += "<td style=\"width: 15px;\"><img src=\"back_dis.gif\" srcset=\"back_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
    } else {
        page += "<td style=\"width: 15px;\"><a href=\"history:\"><img src=\"back.gif\" srcset=\"back@2x.gif 2x\" width=15 height=15></td>\r\n";
    }
    if (nav.future.empty() || noHelpWizardPage) {
        page += "<td style=\"width: 15px;\"><img src=\"for_dis.gif\" srcset=\"for_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
    } else {
        page += "<td style=\"width: 15px;\"><a href=\"future:\"><img src=\"for.gif\" srcset=\"for@2x.gif 2x\" width=15 height=15></td>\r\n";
    }
    page += "<td style=\"font-size: 13px;\"></td>\r\n";
    if (isWizardPage) {
        page += "<td style=\"width: 15px;\">";
        if (!helpUrl.empty()) {
            page += "<a href=\"";
            page += helpUrl;
            page += "\"><img src=\"help.gif\" srcset=\"help@2x.gif 2x\" width=15 height=15></a></td>\r\n";
        } else {
            page += "<img src=\"help_dis.gif\" srcset=\"help_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
        }
    } else {
        page += "<td style=\"width: 15px;\"><a href=\"help:index.html\"><img src=\"index.gif\" srcset=\"index@2x.gif 2x\" width=15 height=15></a></td>\r\n"
                "<td style=\"width: 15px;\">";
        if (!nav.returnTarget.empty()) {
            page += "<a href=\"return:\"><img src=\"return.gif\" srcset=\"return@2x.gif 2x\" width=15 height=15></a></td>\r\n";
        } else {
            page += "<img src=\"return_dis.gif\" srcset=\"return_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
        }
    }
    page += "</table>\r\n\r\n";
}

bool showPage(Wizard& wizard, const std::string& url) {
    std::string page;
    wizard.nav.pageHelp.clear();  // set again by the page's toolbar
    writePage(wizard, page, url);
    return wizard.shell.showPage(page);
}

std::string fileUri(const std::string& path) { return "file://" + percentEncoded(path, "/-_.~"); }

std::string pageBaseUri() {
    std::string uri = fileUri(dataFolder());
    if (uri.back() != '/') uri += '/';
    return uri;
}

}  // namespace tessaly
