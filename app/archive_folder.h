// archive_folder.h - recognising a folder that already holds an archive.
#pragma once

#include <string>

namespace tessaly {

// The archive's stylesheet "folvane.css" is in the folder or in one of its
// direct subfolders.
bool holdsArchiveStylesheet(const std::string& folder);

// An archive is there: the stylesheet as above, or .eml files in the
// folder itself.
bool holdsArchive(const std::string& folder);

}  // namespace tessaly
