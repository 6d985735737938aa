// pst_commands.h - the tessaly-cli commands over Outlook .pst files.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace tessaly::cli {

// archive --to DIR [--flat] [--folder NAME]... FILE.pst: every folder of
// each name given, or every mail folder but the store's Drafts folder, as
// HTML pages.
int archivePst(const Options& options, const std::vector<std::string>& pstFiles);

// list-pst FILE.pst: the mail folders, one a line, two spaces per level.
int listPst(const Options& options);

}  // namespace tessaly::cli
