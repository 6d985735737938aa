// page_row.h - the catalogue's row of a message read back from its page:
// the same function reads the page being written and a page found on disk,
// so a catalogue rebuilt from the files equals the one kept while archiving.
#pragma once

#include <string>
#include <string_view>

#include "archive/catalogue_row.h"

namespace tessaly {

// The header rows (To, Cc, From, Subject; the footer's full To and Cc and
// its Message-id), the attachment links and the texts of `page` as plain
// text. `path` is the page's path relative to the archive root; attachment
// paths are made relative to the root too (sizes stay 0). Pages this
// program did not write give what can be found, never a failure.
CatalogueRow rowFromPage(std::string_view page, const std::string& path);

// The text of an HTML fragment for people: tags dropped, the entities the
// pages use resolved, "<br>" and block ends as line ends, CRs dropped.
std::string plainTextOfHtml(std::string_view html);

// The directory part of `path` ("" or ending in "/").
std::string directoryOf(const std::string& path);

// The ids that thread a message, kept with its page as the tag "ids"
// (Message-ID, In-Reply-To, References, X-GM-THRID on four lines) since
// the page does not show them all; References is cut in its middle to fit.
std::string idsTagValue(const CatalogueRow& row);
void readIdsTag(std::string_view value, CatalogueRow& row);
inline constexpr const char* kIdsTag = "ids";
inline constexpr size_t kIdsTagLimit = 2048;

}  // namespace tessaly
