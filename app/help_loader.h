// help_loader.h - help topics: files "help_<topic>" in the data folder,
// whose part from the first "<h2>" to the last "</body>" is shown inside an
// ordinary page with the help toolbar.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/wizard.h"

namespace tessaly {

// The page body for a "help:" URL: the help toolbar, the topic (or an error
// line when its file is missing or has no body) and, on the first help
// page of the process, a note on the return and index buttons.
void writeHelpPage(Wizard& wizard, std::string& page, const std::string& url);

// The file of a "help:" URL: the data folder + "/help_" + the URL after
// "help:". Empty for a topic that would leave the data folder.
std::string helpFilePath(const std::string& url);

// The shown part of a topic file: from the first "<h2>" up to, not
// including, the last "</body>" (tags in any case), with links to
// "help_..." files turned into "help:..." links. None when either tag is
// missing.
std::optional<std::string> cutHelpBody(std::string_view file);

}  // namespace tessaly
