// catalogue_commands.h - tessaly-cli index and search: the archive's
// catalogue, browse pages and search files made anew, and the search.
#pragma once

#include "cli/options.h"

namespace tessaly::cli {

// index DIR: exit 0, or 2 when DIR is no folder.
int runIndex(const Options& options);

// search --in DIR WORDS...: the matching files, one a line; exit 0 when
// something matched, 1 when nothing did, 2 when the search files are
// missing or damaged.
int runSearch(const Options& options);

}  // namespace tessaly::cli
