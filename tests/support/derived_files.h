// derived_files.h - the files an archive run makes from its catalogue (the
// catalogue itself, the browse pages and the search files), which tests of
// the message files leave out of their listings.
#pragma once

#include <string>

namespace tessaly::test {

// Whether `relative` (a path below an archive root) is such a file or folder.
inline bool isDerivedFile(const std::string& relative) {
    return relative == ".tessaly" || relative.rfind(".tessaly/", 0) == 0 || relative == "index.html" ||
           relative == "search.html";
}

}  // namespace tessaly::test
