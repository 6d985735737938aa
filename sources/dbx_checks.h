// dbx_checks.h - the tests that tell a DBX mail folder file and its name.
#pragma once

#include <optional>
#include <string>

#include "sources/dbx_bytes.h"

namespace tessaly {

// The DBX job's test: a mapped file of at least 0x24BC bytes plus its
// file-info object, whose type is not the folder-tree type. Never throws.
bool isDbxMailFile(const std::string& path);
bool isDbxMailView(DbxView view);

// The DBX picker's test: the same, and the file-info object must carry a
// folder name, which is returned. Never throws.
std::optional<std::string> dbxFolderName(const std::string& path);
std::optional<std::string> dbxFolderNameInView(DbxView view);

}  // namespace tessaly
