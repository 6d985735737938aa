// file_system_names.h - file and folder names made safe for the file system
// that will hold them (FAT and exFAT refuse some characters and trailing
// dots and spaces; POSIX systems take every name as it is).
#pragma once

#include <string>
#include <string_view>

#include "platform/name_rules.h"

namespace tessaly {

// `name` as a file system with `rules` takes it: each refused character
// (a whole UTF-8 sequence where only ASCII is taken) becomes "_" and dots and spaces at the end go (an extension before them
// stays). A name that loses everything becomes "_"; an empty one stays
// empty. Under rules that keep every name it is returned byte for byte.
std::string nameForFileSystem(std::string_view name, const NameRules& rules);

// Each "/"-separated name of `path` through nameForFileSystem; a trailing
// "/" stays.
std::string pathForFileSystem(std::string_view path, const NameRules& rules);

}  // namespace tessaly
