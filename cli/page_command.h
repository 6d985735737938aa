// page_command.h - "tessaly-cli page": the wizard driven by URLs, without a
// window, printing the page shown last.
#pragma once

#include <string>

#include "cli/options.h"

namespace tessaly::cli {

// Whether a command-line word is a wizard URL (webf:, help:, dlg:,
// history:, future:, return:, res:, http:, mailto:) rather than a file.
bool isWizardUrl(const std::string& word);

// Starts as the program does (with options.openFiles as its command-line
// files when --open was given), follows each URL as a click would, and
// prints the last page shown on stdout. Exit status 0 when a page was
// shown, 1 when the wizard closed or showed nothing.
int runPageCommand(const Options& options);

}  // namespace tessaly::cli
