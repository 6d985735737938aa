// page_people.cpp - people.html of a folder.
#include "browse/page_people.h"

#include <algorithm>
#include <unordered_map>

#include "browse/browse_paths.h"
#include "browse/page_dates.h"
#include "browse/page_frame.h"
#include "browse/page_names.h"
#include "browse/page_text.h"

namespace tessaly {

namespace {

// Messages listed per sender; the page stays small for a folder of
// 100,000 messages from one sender, and search finds the rest.
constexpr size_t kListedMessages = 100;

struct Person {
    std::string key;
    std::string name;     // from the newest message
    std::string address;  // the From text of the newest message
    std::vector<size_t> rows;  // newest first
};

}  // namespace

FolderPage peoplePage(const FolderView& view) {
    std::vector<Person> people;
    std::unordered_map<std::string, size_t> byKey;
    for (const size_t r : view.newestFirst) {
        const CatalogueRow& row = view.rows[r];
        std::string key = personKey(row.from);
        const auto [it, added] = byKey.try_emplace(key, people.size());
        if (added) people.push_back({std::move(key), personName(row.from), row.from.empty() ? "(unknown)" : row.from, {}});
        people[it->second].rows.push_back(r);
    }
    std::sort(people.begin(), people.end(), [](const Person& a, const Person& b) {
        if (a.rows.size() != b.rows.size()) return a.rows.size() > b.rows.size();
        return a.key < b.key;
    });

    const std::string self = folderPage(view, std::string(kPeoplePage));
    std::string out = pageStart(self, "Correspondents \xE2\x80\x93 " + view.title, view.title,
                                folderPage(view, messagesPageName(1)));
    out += "<h1>" + pageText(view.title) + "</h1>\n<p class=\"meta\">" +
           countedText(people.size(), "correspondent", "correspondents") + ", most messages first</p>\n";
    out += folderTabs(self, view.pagesFolder, FolderTab::People);
    if (people.empty()) {
        out += "<p class=\"muted\">This folder holds no messages.</p>\n";
    } else {
        out +=
            "<table class=\"list\">\n<tr><th>Name</th><th>Address</th><th class=\"count\">Messages</th>"
            "<th class=\"range\">Dates</th></tr>\n";
    }
    for (size_t i = 0; i < people.size(); ++i) {
        const Person& person = people[i];
        out += "<tr><td><a href=\"#p" + std::to_string(i + 1) + "\">" + pageText(person.name) + "</a></td><td>" +
               pageText(person.key) + "</td><td class=\"count\">" + countText(person.rows.size()) +
               "</td><td class=\"range\">" +
               dateRangeText(view.rows[person.rows.back()].date, view.rows[person.rows.front()].date) + "</td></tr>\n";
    }
    if (!people.empty()) out += "</table>\n";
    for (size_t i = 0; i < people.size(); ++i) {
        const Person& person = people[i];
        out += "<section class=\"person\" id=\"p" + std::to_string(i + 1) + "\">\n<h2>" + pageText(person.address) +
               "</h2>\n<table class=\"list\">\n";
        const size_t shown = std::min(person.rows.size(), kListedMessages);
        for (size_t k = 0; k < shown; ++k) {
            const CatalogueRow& row = view.rows[person.rows[k]];
            out += "<tr><td class=\"date\">" + dateTimeText(row.date) + "</td><td><a href=\"" +
                   relativeLink(self, row.path) + "\">" +
                   pageText(row.subject.empty() ? "(no subject)" : row.subject) + "</a></td></tr>\n";
        }
        out += "</table>\n";
        if (shown < person.rows.size()) {
            out += "<p class=\"muted\">and " + countedText(person.rows.size() - shown, "earlier message", "earlier messages") +
                   " (see Messages or search)</p>\n";
        }
        out += "</section>\n";
    }
    out += pageEnd();
    return {std::string(kPeoplePage), std::move(out)};
}

}  // namespace tessaly
