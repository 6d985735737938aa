// page_row.h - the catalogue's row of a message read back from its page:
// the same function reads the page being written and a page found on disk,
// so a catalogue rebuilt from the files equals the one kept while archiving.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "archive/catalogue_row.h"

namespace tessaly {

// The header rows (To, Cc, From, Subject; the footer's full To and Cc and
// its Message-id), the attachment links and the texts of `page` as plain
// text. `path` is the page's path relative to the archive root; attachment
// paths are made relative to the root too (sizes stay 0). Pages this
// program did not write give what can be found, never a failure.
CatalogueRow rowFromPage(std::string_view page, const std::string& path);

// The folder part of a path relative to the archive root, as a row's dir:
// "" for a file in the root, else ending in "/".
std::string rowDirectory(const std::string& path);

// The ids that thread a message and its Gmail labels, which its page does
// not show all of, are kept for the pages in one file of the derived
// folder, a line a page:
// "path TAB Message-ID TAB In-Reply-To TAB References TAB X-GM-THRID",
// then "TAB label" for each of its labels. Lines are only ever appended;
// for a path the last line counts.
std::string threadIdsPath(const std::string& root);
// The line of `row`, or empty when it has no ids and no labels at all.
std::string threadIdsLine(const CatalogueRow& row);
// Every line of `file` into `byPath` (rows holding only their ids and
// labels).
void readThreadIds(std::string_view file, std::unordered_map<std::string, CatalogueRow>& byPath);

}  // namespace tessaly
