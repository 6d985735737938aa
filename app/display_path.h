// display_path.h - folder paths as the pages show them: the documents and
// desktop folders by their own names.
#pragma once

#include <string>

namespace tessaly {

// A path under the documents folder (then the desktop folder) is shown
// with that folder's path replaced by its own name, so that
// "/home/ann/Documents/Email Archive" reads "Documents/Email Archive".
// The folder's path matches only as a whole path component.
std::string displayPath(const std::string& path);

// The reverse: text that begins with the documents (then desktop) folder's
// name, ignoring case, followed by "/" or nothing, gets that folder's path
// back. Other text is left unchanged.
std::string pathFromDisplay(const std::string& text);

}  // namespace tessaly
