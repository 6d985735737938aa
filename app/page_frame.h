// page_frame.h - every page is the common head, the generator's toolbar and
// body, and the common end; the toolbar leads back, forward, to help (or
// the help index) and back from help to the wizard.
#pragma once

#include <string>

#include "app/wizard.h"

namespace tessaly {

// Appends the whole page for a page URL: head, the body of the first
// generator whose prefix the URL begins with (none: nothing), end.
void writePage(Wizard& wizard, std::string& page, const std::string& url);

// The toolbar row every page begins with. Wizard pages pass their help URL
// (empty only on the archiving page, whose buttons must not lead away);
// help pages pass an empty URL and false.
void writeToolbar(Wizard& wizard, std::string& page, const std::string& helpUrl, bool isWizardPage);

// Builds the page for `url` and hands it to the shell; false when the
// shell could not show it.
bool showPage(Wizard& wizard, const std::string& url);

// The base URI pages are loaded with, so that "dialog.css", the toolbar
// images and relative help links resolve in the data folder:
// "file://" + the escaped data folder + "/".
std::string pageBaseUri();

// The "file://" URI of an absolute path, escaped.
std::string fileUri(const std::string& path);

}  // namespace tessaly
