// scratch_folder.h - one temporary folder per fuzzing process, emptied
// between inputs and removed at exit.
#pragma once

#include <string>

namespace tessaly::fuzz {

// The folder, created on first use.
const std::string& scratchFolder();
// Removes everything inside the folder.
void emptyScratchFolder();

}  // namespace tessaly::fuzz
