// wizard.h - the state of the wizard: settings, page history and the shell
// it shows its pages in. The program keeps one for its whole life.
#pragma once

#include <deque>
#include <string>

#include "app/run.h"
#include "app/settings.h"
#include "app/shell_interface.h"

namespace tessaly {

// The program's own page history (the browser keeps none).
struct Navigation {
    // The page shown, without its query; empty at start.
    std::string currentPage;
    // Earlier pages and pages left by going back, most recent first.
    std::deque<std::string> history;
    std::deque<std::string> future;
    // The wizard page from which help was first opened.
    std::string returnTarget;
    // Where the help button of the page shown leads (F1 goes there too);
    // empty when the page has none.
    std::string pageHelp;
};

struct Wizard {
    explicit Wizard(WizardShell& shellToUse, ArchiveRun& runToUse = theRun())
        : shell(shellToUse), run(runToUse) {}

    WizardShell& shell;
    ArchiveRun& run;
    Settings settings;
    Navigation nav;
    // The help system's explanatory note has been shown.
    bool helpNoteShown = false;
};

}  // namespace tessaly
