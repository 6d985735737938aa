// page_index.cpp - the archive's front page, index.html: the folders and
// the labels as trees, the years, the search box.
#include <algorithm>

#include "browse/browse_pages.h"
#include "browse/browse_paths.h"
#include "browse/page_dates.h"
#include "browse/page_files.h"
#include "browse/page_frame.h"
#include "browse/page_names.h"
#include "browse/page_style.h"
#include "browse/page_text.h"

namespace tessaly {

namespace {

constexpr std::string_view kSelf = "index.html";

std::vector<std::string> pieces(const std::string& dir) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < dir.size()) {
        const size_t slash = dir.find('/', start);
        const size_t end = slash == std::string::npos ? dir.size() : slash;
        if (end > start) out.push_back(dir.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// One entry of a tree: a folder or a label.
struct TreeEntry {
    std::vector<std::string> path;  // its names from the top
    std::string name;               // what the top entry (no path) is called
    std::string pages;              // its pages folder, relative to the root
    uint64_t messages = 0;
    int64_t first = 0;
    int64_t last = 0;
};

std::string treeItem(const TreeEntry& entry, const std::string& label) {
    std::string out = "<a href=\"" + relativeLink(kSelf, entry.pages + messagesPageName(1)) + "\">" +
                      pageText(label) + "</a><span class=\"count\">" +
                      countedText(entry.messages, "message", "messages");
    if (entry.messages > 0) out += " \xC2\xB7 " + dateRangeText(entry.first, entry.last);
    return out + "</span>";
}

// Nested lists from the entries' paths; a level no entry stands for (its
// entries only below it) is a plain label.
std::string tree(std::vector<TreeEntry> entries) {
    std::vector<std::pair<std::vector<std::string>, const TreeEntry*>> sorted;
    for (const TreeEntry& entry : entries) sorted.emplace_back(entry.path, &entry);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    struct Level {
        std::string piece;
        bool hasList = false;
    };
    std::vector<Level> open;
    std::string out = "<ul class=\"tree\">\n";
    auto openItem = [&](const std::string& piece, const std::string& content) {
        if (!open.empty() && !open.back().hasList) {
            out += "\n<ul>\n";
            open.back().hasList = true;
        }
        out += "<li>" + content;
        open.push_back({piece, false});
    };
    auto closeItem = [&] {
        out += open.back().hasList ? "</ul></li>\n" : "</li>\n";
        open.pop_back();
    };
    for (const auto& [path, entry] : sorted) {
        if (path.empty()) {
            // The root folder's own messages, first of all.
            while (!open.empty()) closeItem();
            out += "<li>" + treeItem(*entry, entry->name.empty() ? "Top folder" : entry->name) + "</li>\n";
            continue;
        }
        size_t common = 0;
        while (common < open.size() && common < path.size() && open[common].piece == path[common]) ++common;
        // The same dir twice: a sibling of the first.
        if (common == path.size()) --common;
        while (open.size() > common) closeItem();
        for (size_t i = common; i + 1 < path.size(); ++i) {
            openItem(path[i], "<span class=\"label\">" + pageText(path[i]) + "</span>");
        }
        openItem(path.back(), treeItem(*entry, path.back()));
    }
    while (!open.empty()) closeItem();
    return out + "</ul>\n";
}

std::string folderTree(const std::vector<FolderSummary>& folders) {
    std::vector<TreeEntry> entries;
    for (const FolderSummary& folder : folders) {
        entries.push_back({pieces(folder.dir), folder.name,
                           folder.pages.empty() ? folderPagesRelative(folder.dir) : folder.pages, folder.messages,
                           folder.first, folder.last});
    }
    return tree(std::move(entries));
}

std::string labelTree(const std::vector<LabelSummary>& labels) {
    std::vector<TreeEntry> entries;
    for (const LabelSummary& label : labels) {
        entries.push_back({pieces(label.label), label.label, label.pages, label.messages, label.first, label.last});
    }
    return tree(std::move(entries));
}

std::string yearList(const std::vector<std::pair<int, uint64_t>>& years) {
    std::string out = "<ul class=\"years\">\n";
    for (const auto& [year, count] : years) {
        const std::string y = std::to_string(year);
        const std::string next = std::to_string(static_cast<int64_t>(year) + 1);
        out += "<li><a href=\"search.html?q=after:" + y + "-01-01%20before:" + next + "-01-01\">" + y +
               "</a> <span class=\"count\">" + countText(count) + "</span></li>\n";
    }
    return out + "</ul>\n";
}

}  // namespace

bool writeRootIndex(const std::string& root, const ArchiveSummary& summary) {
    writeBrowseStylesheet(root);
    int64_t first = 0;
    int64_t last = 0;
    bool any = false;
    for (const FolderSummary& folder : summary.folders) {
        if (folder.messages == 0) continue;
        first = any ? std::min(first, folder.first) : folder.first;
        last = any ? std::max(last, folder.last) : folder.last;
        any = true;
    }
    std::string out = pageStart(kSelf, "Mail archive");
    out += "<h1>Mail archive</h1>\n<p class=\"meta\">" + countedText(summary.messages, "message", "messages") +
           " in " + countedText(summary.folders.size(), "folder", "folders");
    if (any) out += ", " + dateRangeText(first, last);
    out += "</p>\n<section class=\"summary\">\n<div>\n<h2>Folders</h2>\n";
    out += summary.folders.empty() ? std::string("<p class=\"muted\">No folders yet.</p>\n")
                                   : folderTree(summary.folders);
    if (!summary.labels.empty()) out += "<h2>Labels</h2>\n" + labelTree(summary.labels);
    out += "</div>\n<div>\n<h2>Years</h2>\n";
    out += summary.years.empty() ? std::string("<p class=\"muted\">No messages yet.</p>\n") : yearList(summary.years);
    out += "</div>\n</section>\n" + pageEnd();

    PageFiles files;
    return files.write(root + "/" + std::string(kSelf), out) && files.commit();
}

}  // namespace tessaly
