// pff_provider.h - this program's own MAPI library: a read-only provider
// over libpff for personal-store files, with profiles and services kept in
// the registry.
#pragma once

#include <memory>

#include "mapi/provider.h"

namespace tessaly {

// The provider; null in a build without libpff.
std::unique_ptr<MapiLibrary> makePffLibrary();

}  // namespace tessaly
