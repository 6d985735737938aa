// pst_commands.h - the tessaly-cli commands over Outlook .pst files.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace tessaly::cli {

// archive --to DIR [--flat] [--folder NAME]... FILE.pst: the named folders,
// or every mail folder but one named "Drafts", as HTML pages.
int archivePst(const Options& options, const std::vector<std::string>& pstFiles);

// list-pst FILE.pst: the mail folders, one a line, two spaces per level.
int listPst(const Options& options);

}  // namespace tessaly::cli
