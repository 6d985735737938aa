// naming.h - where a message goes in the archive and what its file is called.
#pragma once

#include <string>
#include <string_view>

#include "message/model.h"

namespace tessaly {

// archiveFolder + "/" + (useSubfolders ? subfolderPath : ""). The subfolder
// path is relative to the archive root and ends in "/" (or is empty), so
// the result always ends in "/".
std::string archiveDirectory(const std::string& archiveFolder, const std::string& subfolderPath,
                             bool useSubfolders);

// One component of a source folder's name as the name of its archive
// folder: safeFileText, then cut to 255 bytes (the longest name Linux file
// systems take) without splitting a UTF-8 character, trailing blanks the cut
// bared trimmed. A name of dots only would climb out of the archive ("..")
// or vanish ("."), so its dots become "_". Empty when nothing is left.
std::string safeFolderName(std::string_view component);
// A source folder's path as the archive folder's path below the archive
// root: split at "/" or backslash, each name through safeFolderName, empty
// ones left out, joined by "/" (no "/" at either end).
std::string safeFolderPath(std::string_view folderPath);

// The two parts of an archive file name: "who - subject - " and the stamp
// "ddmmyyyy'hhmmss'key". Pages add ".html", EML files ".eml".
struct ArchiveName {
    std::string name;
    std::string stamp;
};
ArchiveName archiveBaseName(const TMessageInfo& info);

// The description of a message in problem lines: the HTML-escaped date
// (received, else sent) cut before its zone, then the escaped name.
std::string describeMessage(const TMessageInfo& info, const std::string& name);

// The file name part of a path, HTML-escaped, as problem lines show it.
std::string escapedFileName(const std::string& path);

}  // namespace tessaly
