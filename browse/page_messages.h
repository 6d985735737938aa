// page_messages.h - a folder's messages by date, newest first, under year
// and month headings, kRowsPerPage to a page, every page showing the
// whole series with its date ranges.
#pragma once

#include <vector>

#include "browse/folder_view.h"

namespace tessaly {

// messages-1.html (the newest) onwards; one page saying so for no rows.
std::vector<FolderPage> messagesPages(const FolderView& view);

}  // namespace tessaly
