// page_conversations.cpp - threads.html and the thread-<key>.html pages.
#include "browse/page_conversations.h"

#include <algorithm>
#include <unordered_set>

#include "browse/browse_paths.h"
#include "browse/page_dates.h"
#include "browse/page_frame.h"
#include "browse/page_names.h"
#include "browse/page_text.h"

namespace tessaly {

namespace {

constexpr size_t kShownPeople = 3;
constexpr size_t kSnippetBytes = 280;
constexpr size_t kMaxIndent = 12;  // deeper replies are drawn at this depth

std::string threadSubjectText(const FolderView& view, const Thread& thread) {
    for (const ThreadMessage& m : thread.messages) {
        if (!view.rows[m.row].subject.empty()) return view.rows[m.row].subject;
    }
    return "(no subject)";
}

// The senders in thread order, each once; at most kShownPeople named.
std::string participants(const FolderView& view, const Thread& thread) {
    std::unordered_set<std::string> seen;
    std::vector<std::string> names;
    for (const ThreadMessage& m : thread.messages) {
        const std::string& from = view.rows[m.row].from;
        if (seen.insert(personKey(from)).second) names.push_back(personName(from));
    }
    std::string out;
    for (size_t i = 0; i < names.size() && i < kShownPeople; ++i) {
        if (i > 0) out += ", ";
        out += names[i];
    }
    if (names.size() > kShownPeople) out += " and " + countText(names.size() - kShownPeople) + " more";
    return out;
}

std::string threadLink(const FolderView& view, size_t index, const std::string& self) {
    if (!view.threadPages[index].empty()) return urlPath(view.threadPages[index]);
    return relativeLink(self, view.rows[view.threads[index].messages.front().row].path);
}

}  // namespace

std::vector<FolderPage> conversationListPages(const FolderView& view) {
    const std::vector<Thread>& threads = view.threads;
    const size_t count = std::max<size_t>(1, (threads.size() + kRowsPerPage - 1) / kRowsPerPage);
    std::vector<PageLink> links;
    for (size_t p = 0; p < count; ++p) {
        const size_t begin = p * kRowsPerPage;
        const size_t end = std::min(threads.size(), begin + kRowsPerPage);
        links.push_back({threadsPageName(p + 1), begin < end ? dateRangeText(threads[end - 1].last, threads[begin].last)
                                                             : std::string("none")});
    }
    std::vector<FolderPage> pages;
    for (size_t p = 0; p < count; ++p) {
        const std::string self = folderPage(view, links[p].name);
        std::string out = pageStart(self, "Conversations \xE2\x80\x93 " + view.title, view.title,
                                    folderPage(view, messagesPageName(1)));
        out += "<h1>" + pageText(view.title) + "</h1>\n<p class=\"meta\">" +
               countedText(threads.size(), "conversation", "conversations") + ", newest activity first</p>\n";
        out += folderTabs(self, view.pagesFolder, FolderTab::Threads);
        out += pageNavigation(links, p, "Pages of conversations");
        const size_t begin = p * kRowsPerPage;
        const size_t end = std::min(threads.size(), begin + kRowsPerPage);
        if (begin == end) {
            out += "<p class=\"muted\">This folder holds no messages.</p>\n";
        } else {
            out +=
                "<table class=\"list\">\n<tr><th>Subject</th><th class=\"count\">Messages</th>"
                "<th class=\"from\">People</th><th class=\"range\">Dates</th></tr>\n";
        }
        for (size_t t = begin; t < end; ++t) {
            const Thread& thread = threads[t];
            out += "<tr><td><a href=\"" + threadLink(view, t, self) + "\">" +
                   pageText(threadSubjectText(view, thread)) + "</a></td><td class=\"count\">" +
                   countText(thread.messages.size()) + "</td><td class=\"from people\">" +
                   pageText(participants(view, thread)) + "</td><td class=\"range\">" +
                   dateRangeText(thread.first, thread.last) + "</td></tr>\n";
        }
        if (begin < end) out += "</table>\n";
        out += pageNavigation(links, p, "Pages of conversations");
        out += pageEnd();
        pages.push_back({links[p].name, std::move(out)});
    }
    return pages;
}

FolderPage conversationPage(const FolderView& view, size_t index) {
    const Thread& thread = view.threads[index];
    const std::string& name = view.threadPages[index];
    const std::string self = folderPage(view, name);
    const std::string subject = threadSubjectText(view, thread);
    std::string out = pageStart(self, subject, view.title, folderPage(view, messagesPageName(1)));
    out += folderTabs(self, view.pagesFolder, FolderTab::None);
    out += "<h1>" + pageText(subject) + "</h1>\n<p class=\"meta\">" +
           countedText(thread.messages.size(), "message", "messages") + ", " +
           dateRangeText(thread.first, thread.last) + " \xC2\xB7 " + pageText(participants(view, thread)) + "</p>\n";
    out += "<ol class=\"thread\">\n";
    for (const ThreadMessage& m : thread.messages) {
        const CatalogueRow& row = view.rows[m.row];
        const size_t indent = std::min(m.depth, kMaxIndent);
        out += "<li";
        if (indent > 0) {
            out += " style=\"margin-left:" + std::to_string(indent * 3 / 2) + (indent % 2 ? ".5" : "") + "em\"";
        }
        out += "><div class=\"head\"><span class=\"who\">" + pageText(personName(row.from)) +
               "</span><span class=\"when\">" + dateTimeText(row.date) + "</span><a href=\"" +
               relativeLink(self, row.path) + "\">" + pageText(row.subject.empty() ? "(no subject)" : row.subject) +
               "</a>";
        if (!row.attachments.empty()) {
            out += "<span class=\"files\">" + countedText(row.attachments.size(), "file", "files") + "</span>";
        }
        out += "</div>";
        const std::string snippet = textSnippet(row.text, kSnippetBytes);
        if (!snippet.empty()) out += "<p class=\"text\">" + pageText(snippet) + "</p>";
        out += "</li>\n";
    }
    out += "</ol>\n" + pageEnd();
    return {name, std::move(out)};
}

}  // namespace tessaly
