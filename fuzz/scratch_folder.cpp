// scratch_folder.cpp - temporary folders of one fuzzing process.
#include "fuzz/scratch_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "fuzz/targets.h"

namespace tessaly::fuzz {

namespace {

namespace fs = std::filesystem;

void removeBase();

// Memory-backed when the system has /dev/shm: the targets write files for
// every input.
// Never freed: the removal at exit still needs the name.
const std::string& baseFolder() {
    static const std::string* base = [] {
        std::error_code ec;
        const fs::path parent = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
        std::string pattern = (parent / "tessaly-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) propertyFailed("cannot create the scratch folder");
        fs::create_directory(pattern + "/work", ec);
        fs::create_directory(pattern + "/kept", ec);
        auto* made = new std::string(pattern);
        std::atexit(removeBase);
        return made;
    }();
    return *base;
}

void removeBase() {
    std::error_code ec;
    fs::remove_all(baseFolder(), ec);
}

}  // namespace

const std::string& scratchFolder() {
    static const std::string folder = baseFolder() + "/work";
    return folder;
}

const std::string& keptFolder() {
    static const std::string folder = baseFolder() + "/kept";
    return folder;
}

void emptyScratchFolder() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(scratchFolder(), ec)) {
        fs::remove_all(entry.path(), ec);
    }
}

}  // namespace tessaly::fuzz
