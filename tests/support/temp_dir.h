// temp_dir.h - temporary folders for tests and the isolated user environment.
#pragma once

#include <cstddef>
#include <string>

namespace tessaly::test {

// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes.
class TempDir {
public:
    TempDir();
    // A fresh folder inside `parent` (a mounted test image, say).
    explicit TempDir(const std::string& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Points HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR and the
// documents folder at a process-wide temporary folder, so that no test reads
// or writes the user's registry hives or files.
void isolateUserEnvironment();

// Writes bytes to a file, replacing it; fails the current test on error.
void writeFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
// How many entries `folder` holds.
size_t entryCount(const std::string& folder);

}  // namespace tessaly::test
