// page_messages.cpp - the messages-N.html pages of a folder.
#include "browse/page_messages.h"

#include <algorithm>
#include <cstdint>

#include "browse/browse_paths.h"
#include "browse/page_dates.h"
#include "browse/page_frame.h"
#include "browse/page_names.h"
#include "browse/page_text.h"

namespace tessaly {

namespace {

std::string subjectText(const CatalogueRow& row) {
    return row.subject.empty() ? std::string("(no subject)") : row.subject;
}

void appendRow(std::string& out, const std::string& self, const CatalogueRow& row) {
    out += "<tr><td class=\"date\">" + dateTimeText(row.date) + "</td><td class=\"from\">" +
           pageText(personName(row.from)) + "</td><td><a href=\"" + relativeLink(self, row.path) + "\">" +
           pageText(subjectText(row)) + "</a>";
    if (!row.attachments.empty()) {
        out += " <span class=\"files\">" + countedText(row.attachments.size(), "file", "files") + "</span>";
    }
    out += "</td></tr>\n";
}

}  // namespace

std::vector<FolderPage> messagesPages(const FolderView& view) {
    const std::vector<size_t>& rows = view.newestFirst;
    const size_t count = std::max<size_t>(1, (rows.size() + kRowsPerPage - 1) / kRowsPerPage);
    std::vector<PageLink> links;
    for (size_t p = 0; p < count; ++p) {
        const size_t begin = p * kRowsPerPage;
        const size_t end = std::min(rows.size(), begin + kRowsPerPage);
        std::string label = begin < end ? dateRangeText(view.rows[rows[end - 1]].date, view.rows[rows[begin]].date)
                                        : std::string("none");
        links.push_back({messagesPageName(p + 1), std::move(label)});
    }

    std::vector<FolderPage> pages;
    for (size_t p = 0; p < count; ++p) {
        const std::string self = folderPage(view, links[p].name);
        std::string out = pageStart(self, view.title + (count > 1 ? " \xE2\x80\x93 page " + std::to_string(p + 1) : ""),
                                    view.title, folderPage(view, links[0].name));
        out += "<h1>" + pageText(view.title) + "</h1>\n<p class=\"meta\">";
        out += countedText(rows.size(), "message", "messages");
        if (!rows.empty()) {
            out += ", " + dateRangeText(view.rows[rows.back()].date, view.rows[rows.front()].date);
        }
        if (count > 1) out += " \xC2\xB7 page " + std::to_string(p + 1) + " of " + std::to_string(count);
        out += "</p>\n";
        out += folderTabs(self, view.pagesFolder, FolderTab::Messages);
        out += pageNavigation(links, p, "Pages by date");

        const size_t begin = p * kRowsPerPage;
        const size_t end = std::min(rows.size(), begin + kRowsPerPage);
        if (begin == end) out += "<p class=\"muted\">This folder holds no messages.</p>\n";
        int64_t year = INT64_MIN;
        int month = 0;
        bool open = false;
        for (size_t i = begin; i < end; ++i) {
            const CatalogueRow& row = view.rows[rows[i]];
            const CivilDate date = civilDate(row.date);
            if (date.year != year || date.month != month) {
                if (open) out += "</table>\n";
                if (date.year != year) out += "<h2>" + std::to_string(date.year) + "</h2>\n";
                out += "<h3>" + std::string(monthName(date.month)) + " " + std::to_string(date.year) + "</h3>\n";
                out += "<table class=\"list\">\n";
                open = true;
                year = date.year;
                month = date.month;
            }
            appendRow(out, self, row);
        }
        if (open) out += "</table>\n";
        out += pageNavigation(links, p, "Pages by date");
        out += pageEnd();
        pages.push_back({links[p].name, std::move(out)});
    }
    return pages;
}

}  // namespace tessaly
