// scratch_folder.h - temporary folders of one fuzzing process, removed at
// exit: one emptied between inputs, one that keeps its content.
#pragma once

#include <string>

namespace tessaly::fuzz {

// The folder for each input's files, created on first use.
const std::string& scratchFolder();
// Removes everything inside scratchFolder().
void emptyScratchFolder();
// A folder beside it that is not emptied (a configuration folder).
const std::string& keptFolder();

}  // namespace tessaly::fuzz
