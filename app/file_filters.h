// file_filters.h - the filters of the file dialogs: globs that match names
// blind to case, as the programs that write mail files do not agree on case.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct FileFilter {
    std::string label;
    // Globs as the dialog takes them, e.g. "*.[dD][bB][xX]".
    std::vector<std::string> patterns;
    // Files of these content types match as well, whatever their names.
    std::vector<std::string> mimeTypes;
};

// Every ASCII letter of `glob` outside a bracket expression as a bracket of
// both cases: "*.dbx" becomes "*.[dD][bB][xX]". Plain globs rather than a
// matching function, because a file-chooser portal passes only globs and
// content types on.
std::string caseBlindGlob(std::string_view glob);

// A filter of names ending in "." and one of the extensions, in any case.
FileFilter extensionFilter(std::string label, std::initializer_list<std::string_view> extensions);

// "All files": "*", since "*.*" would hide names without a dot.
FileFilter allFilesFilter();

}  // namespace tessaly
