// startup.h - how the wizard begins: the libraries listed, the settings
// loaded, the files of the command line sorted, and the first page.
#pragma once

#include <string>
#include <vector>

#include "app/wizard.h"

namespace tessaly {

// Lists the mail libraries, loads the settings and keeps the files given
// on the command line, relative paths made absolute.
void startWizard(Wizard& wizard, const std::vector<std::string>& arguments);
// Keeps the files as the command line's, sorted the same way (also for the
// files a later start of the program hands to this one).
void takeCommandLineFiles(Wizard& wizard, const std::vector<std::string>& arguments);

// Shows the first page: the page for the command-line files of one kind
// (the .pst files when there are any, else the .dbx files that pass their
// test, else the mailboxes that do), or the start page when there are none
// or none passed. Files that were not found or failed their test are told
// in one message box after the page. True: there is always a page.
bool showFirstPage(Wizard& wizard);

}  // namespace tessaly
