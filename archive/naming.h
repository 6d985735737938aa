// naming.h - where a message goes in the archive and what its file is called.
#pragma once

#include <string>

#include "message/model.h"

namespace tessaly {

// archiveFolder + "/" + (useSubfolders ? subfolderPath : ""). The subfolder
// path is relative to the archive root and ends in "/" (or is empty), so
// the result always ends in "/".
std::string archiveDirectory(const std::string& archiveFolder, const std::string& subfolderPath,
                             bool useSubfolders);

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
