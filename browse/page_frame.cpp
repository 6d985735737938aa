// page_frame.cpp - head, top bar, tabs and navigation of the browse pages.
#include "browse/page_frame.h"

#include "browse/browse_paths.h"
#include "browse/page_names.h"
#include "browse/page_style.h"
#include "browse/page_text.h"

namespace tessaly {

std::string pageStart(std::string_view self, std::string_view title, std::string_view folderName,
                      std::string_view folderLink) {
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += pageText(title);
    out += "</title>\n<link rel=\"stylesheet\" href=\"";
    out += relativeLink(self, kBrowseStylesheet);
    out += "\">\n</head>\n<body>\n<header class=\"top\">\n<a class=\"home\" href=\"";
    out += relativeLink(self, "index.html");
    out += "\">Mail archive</a>\n";
    if (!folderName.empty()) {
        out += "<span class=\"crumbs\">\xE2\x80\xBA ";
        if (folderLink.empty()) {
            out += pageText(folderName);
        } else {
            out += "<a href=\"" + relativeLink(self, folderLink) + "\">" + pageText(folderName) + "</a>";
        }
        out += "</span>\n";
    }
    out += "<form class=\"search\" action=\"";
    out += relativeLink(self, "search.html");
    out +=
        "\" method=\"get\" role=\"search\">"
        "<input type=\"search\" name=\"q\" placeholder=\"Search all mail\" aria-label=\"Search all mail\">"
        "<button type=\"submit\">Search</button></form>\n</header>\n<main>\n";
    return out;
}

std::string pageEnd() { return "</main>\n</body>\n</html>\n"; }

std::string folderTabs(std::string_view self, std::string_view pagesFolder, FolderTab current) {
    struct Tab {
        FolderTab tab;
        std::string name;
        std::string_view label;
    };
    const Tab tabs[] = {{FolderTab::Messages, messagesPageName(1), "Messages"},
                        {FolderTab::Threads, threadsPageName(1), "Conversations"},
                        {FolderTab::People, std::string(kPeoplePage), "Correspondents"}};
    std::string out = "<nav class=\"tabs\">";
    for (const Tab& tab : tabs) {
        if (tab.tab == current) {
            out += "<span aria-current=\"page\">";
            out += tab.label;
            out += "</span>";
        } else {
            out += "<a href=\"" + relativeLink(self, std::string(pagesFolder) + tab.name) + "\">";
            out += tab.label;
            out += "</a>";
        }
    }
    return out + "</nav>\n";
}

std::string pageNavigation(const std::vector<PageLink>& pages, size_t current, std::string_view label) {
    if (pages.size() < 2) return {};
    std::string out = "<nav class=\"pages\" aria-label=\"";
    out += pageText(label);
    out += "\"><ol>\n";
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i == current) {
            out += "<li><span aria-current=\"page\">" + pageText(pages[i].label) + "</span></li>\n";
        } else {
            out += "<li><a href=\"" + urlPath(pages[i].name) + "\">" + pageText(pages[i].label) + "</a></li>\n";
        }
    }
    return out + "</ol></nav>\n";
}

}  // namespace tessaly
