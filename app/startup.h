// startup.h - how the wizard begins: the libraries listed, the settings
// loaded, the files of the command line sorted, and the first page.
#pragma once

#include <string>
#include <vector>

#include "app/wizard.h"

namespace tessaly {

// Lists the mail libraries, loads the settings and keeps the files given
// on the command line: the .pst files when there are any, else the .dbx
// files, else all the others (taken as mailbox files). Relative paths are
// made absolute.
void startWizard(Wizard& wizard, const std::vector<std::string>& arguments);
// Keeps the files as the command line's, sorted the same way (also for the
// files a later start of the program hands to this one).
void takeCommandLineFiles(Wizard& wizard, const std::vector<std::string>& arguments);

// Shows the first page: the start page, or the page for the command-line
// files. False when those files failed validation (the user was told
// why); the program then closes.
bool showFirstPage(Wizard& wizard);

}  // namespace tessaly
