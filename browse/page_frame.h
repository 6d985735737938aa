// page_frame.h - what every browse page has around its content: the
// document head with the stylesheet, the top bar linking back to
// index.html with the search box, a folder's tabs, the page navigation.
//
// Pages are built by appending literals and escaped texts (pageText);
// links are relative (relativeLink), so the archive opens from any place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// "<!DOCTYPE html>" to the opening of <main>. `self` is the page's path
// relative to the archive root; `title` and the crumbs are plain text.
// `folderName` (may be empty) is shown after the archive link and links to
// `folderLink` when that is not empty (relative to the root).
std::string pageStart(std::string_view self, std::string_view title, std::string_view folderName = {},
                      std::string_view folderLink = {});
// Closes <main> and the document.
std::string pageEnd();

enum class FolderTab { Messages, Threads, People, None };
// The tabs of a folder's pages; `pagesFolder` is folderPagesRelative(dir).
std::string folderTabs(std::string_view self, std::string_view pagesFolder, FolderTab current);

struct PageLink {
    std::string name;   // the file name in the same folder
    std::string label;  // plain text
};
// The numbered navigation of a series of pages, `current` shown unlinked.
std::string pageNavigation(const std::vector<PageLink>& pages, size_t current, std::string_view label);

}  // namespace tessaly
