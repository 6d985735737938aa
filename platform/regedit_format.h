// regedit_format.h - the REGEDIT4 text of one hive, read into a key tree and
// written back; pure functions over strings, the files are registry.cpp's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry_key.h"

namespace tessaly {

struct RegeditError {
    size_t line = 0;  // 1-based; 0 when the whole text is at fault
    std::string reason;
};

// Reads a hive's text into `root` (which should be empty). Every section must
// lie below `rootName` (e.g. "HKEY_CURRENT_USER"). False, with the first
// fault in `error`, when the text does not parse; `root` is then partly
// filled and should be thrown away.
bool parseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root,
                  RegeditError& error);

// The hive's text as regedit exports it: "REGEDIT4", then one section per key
// in tree order (the root only when it has values), each followed by a blank
// line. Parsing the result gives the same tree back.
std::string formatRegedit(const RegistryKey& root, std::string_view rootName);

}  // namespace tessaly
