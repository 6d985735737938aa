// browse_pages.h - the static pages that make an archive browsable with
// nothing but a browser, from any place (disk, stick, zip): index.html in
// the root, and per archive folder its messages by date, conversations,
// correspondents and one page per conversation, under
// ".tessaly/browse/<dir>"; the same pages for each Gmail label, under
// ".tessaly/labels/<key>/". Plain HTML and CSS, no script.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/catalogue_row.h"

namespace tessaly {

struct FolderSummary {
    std::string dir;   // CatalogueRow::dir: "" for the root, else ending in "/"
    std::string name;  // the folder's name as people know it
    uint64_t messages = 0;
    int64_t first = 0;  // oldest and newest message, unix seconds
    int64_t last = 0;
    // Where its pages lie, relative to the root and ending in "/"; empty
    // for folderPagesRelative(dir).
    std::string pages = {};
};

struct LabelSummary {
    std::string label;  // as Gmail names it ("Family/Kids")
    std::string pages;  // labelPagesFolders: relative to the root, ending in "/"
    uint64_t messages = 0;
    int64_t first = 0;
    int64_t last = 0;
};

struct ArchiveSummary {
    std::vector<FolderSummary> folders;              // every folder, sorted by dir
    std::vector<std::pair<int, uint64_t>> years;     // year, messages; newest first
    uint64_t messages = 0;
    std::vector<LabelSummary> labels = {};           // every label, sorted by label
};

// Writes <root>/index.html: the folders as a tree (dir split at "/") with
// their counts and date ranges, each linking to its first messages page;
// below them the labels when there are any, as a tree the same way (label
// split at "/"); the years, each a search for its messages; the search box.
// Writes the stylesheet when it is missing. False when the page cannot be
// written.
bool writeRootIndex(const std::string& root, const ArchiveSummary& summary);

// Writes every page of one archive folder from all its rows (whose text
// may be empty) and removes the folder's pages from before that it no
// longer writes. Pages whose bytes are unchanged are not rewritten. Cost
// is linear in the rows (threading n log n). False on a write failure.
bool writeFolderPages(const std::string& root, const FolderSummary& folder, const std::vector<CatalogueRow>& rows);

// The same pages for the messages with one label, in label.pages.
bool writeLabelPages(const std::string& root, const LabelSummary& label, const std::vector<CatalogueRow>& rows);

}  // namespace tessaly
