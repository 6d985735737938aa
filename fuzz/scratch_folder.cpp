// scratch_folder.cpp - one temporary folder per fuzzing process.
#include "fuzz/scratch_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "fuzz/targets.h"

namespace tessaly::fuzz {

namespace {

namespace fs = std::filesystem;

// Memory-backed when the system has /dev/shm: the targets write files for
// every input.
std::string makeFolder() {
    std::error_code ec;
    fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    std::string pattern = (base / "tessaly-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) propertyFailed("cannot create the scratch folder");
    return pattern;
}

void removeFolder() {
    std::error_code ec;
    fs::remove_all(scratchFolder(), ec);
}

}  // namespace

const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string made = makeFolder();
        return made;
    }();
    static const bool cleanup = [] { return std::atexit(removeFolder) == 0; }();
    (void)cleanup;
    return folder;
}

void emptyScratchFolder() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(scratchFolder(), ec)) {
        fs::remove_all(entry.path(), ec);
    }
}

}  // namespace tessaly::fuzz
