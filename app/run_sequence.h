// run_sequence.h - an archiving run as the save page starts it: settings
// saved, the archiving page with its live problem log, the job of the chosen
// source, the finish page and, after the first run ever, the virus warning.
#pragma once

#include "app/wizard.h"

namespace tessaly {

// Runs the whole sequence for "webf:go"; returns when the job is done and
// the finish page is shown (or the main window closed when the program is
// to quit).
void runArchiving(Wizard& wizard);

// The virus warning shown once, after the first run ever.
inline constexpr const char* kVirusWarning =
    "Remember that emails can contain viruses, and so can attachments.\r\n"
    "After archiving, you should always run your virus-scanner.";

}  // namespace tessaly
