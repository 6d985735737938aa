// stylesheet.h - the default stylesheet every archived page imports.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The default content of "folvane.css" (1145 bytes).
std::string_view defaultStylesheet();

// Creates archiveFolder/folvane.css unless a file of that name exists, so a
// user's edits survive every later run. Failures are silent: the pages are
// written all the same.
void writeStylesheet(const std::string& archiveFolder);

}  // namespace tessaly
