// browse_pages.h - the static pages that make an archive browsable with
// nothing but a browser, from any place (disk, stick, zip): index.html in
// the root, and per archive folder its messages by date, conversations,
// correspondents and one page per conversation, under
// ".tessaly/browse/<dir>". Plain HTML and CSS, no script.
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
};

struct ArchiveSummary {
    std::vector<FolderSummary> folders;              // every folder, sorted by dir
    std::vector<std::pair<int, uint64_t>> years;     // year, messages; newest first
    uint64_t messages = 0;
};

// Writes <root>/index.html: the folders as a tree (dir split at "/") with
// their counts and date ranges, each linking to its first messages page;
// the years, each a search for its messages; the search box. Writes the
// stylesheet when it is missing. False when the page cannot be written.
bool writeRootIndex(const std::string& root, const ArchiveSummary& summary);

// Writes every page of one archive folder from all its rows (whose text
// may be empty) and removes the folder's pages from before that it no
// longer writes. Pages whose bytes are unchanged are not rewritten. Cost
// is linear in the rows (threading n log n). False on a write failure.
bool writeFolderPages(const std::string& root, const FolderSummary& folder, const std::vector<CatalogueRow>& rows);

}  // namespace tessaly
