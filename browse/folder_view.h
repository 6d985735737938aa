// folder_view.h - one archive folder as its pages see it: its rows newest
// first, its conversations with their page names, and where its pages lie.
#pragma once

#include <string>
#include <vector>

#include "browse/browse_pages.h"
#include "browse/threads.h"

namespace tessaly {

struct FolderPage {
    std::string name;  // file name in the folder's pages folder
    std::string content;
};

struct FolderView {
    const FolderSummary& folder;
    const std::vector<CatalogueRow>& rows;
    std::string title;        // the folder's name for headings, never empty
    std::string pagesFolder;  // folder.pages, else folderPagesRelative(folder.dir)
    std::vector<size_t> newestFirst;  // row indices by date, newest first
    std::vector<Thread> threads;
    // Each thread's page name; empty for a single message, which links to
    // the message itself.
    std::vector<std::string> threadPages;
};

// Sorts, threads and names; the rows and summary must outlive the view.
FolderView makeFolderView(const FolderSummary& folder, const std::vector<CatalogueRow>& rows);

// The path, relative to the root, of the page `name` of this folder.
inline std::string folderPage(const FolderView& view, const std::string& name) { return view.pagesFolder + name; }

// Rows of a folder page (at most this many per page).
inline constexpr size_t kRowsPerPage = 500;

}  // namespace tessaly
