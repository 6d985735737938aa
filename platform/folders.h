// folders.h - the user's special folders and the program's own folders.
#pragma once

#include <string>

namespace tessaly {

// The user's home folder ($HOME, else the password database's); empty when
// there is none.
std::string homeFolder();

// The user's documents and desktop folders (XDG user directories, else
// ~/Documents and ~/Desktop); empty when there is no home folder at all.
std::string documentsFolder();
std::string desktopFolder();

// Where the registry hives live: $XDG_CONFIG_HOME/tessaly, else
// ~/.config/tessaly. Not created here.
std::string configFolder();

// Per-user folder for temporary page files: $XDG_RUNTIME_DIR/tessaly, else
// the cache folder's tessaly folder. Created when missing.
std::string runtimeFolder();

// Help pages, dialog.css and images: the source tree's data/ when running
// from the build tree, else the installed <prefix>/share/tessaly.
std::string dataFolder();

// The full path of the running program.
std::string executablePath();

}  // namespace tessaly
