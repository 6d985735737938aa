// library_loader.h - loading a MAPI library by its path. "mapi32.dll" names
// this program's own provider over libpff; tests install others.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "mapi/provider.h"

namespace tessaly {

using MapiLibraryFactory = std::function<std::unique_ptr<MapiLibrary>()>;

// The library at `path`, or null when there is none (as LoadLibrary fails).
// A library installed under exactly that path comes first; otherwise a
// path whose file name is "mapi32.dll" (in any letter case) loads the
// libpff provider.
std::unique_ptr<MapiLibrary> loadMapiLibrary(const std::string& path);

// Makes `path` load what `factory` makes; an empty factory removes it.
void installMapiLibrary(const std::string& path, MapiLibraryFactory factory);

// The system's MAPI registration in the machine hive: "MAPIX" = "1" under
// "SOFTWARE\Microsoft\Windows Messaging Subsystem", written when that value
// is missing, as a system with the MAPI stub installed has it.
void registerMapiSubsystem();

}  // namespace tessaly
