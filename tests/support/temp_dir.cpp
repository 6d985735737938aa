// temp_dir.cpp - temporary folders for tests and the isolated user environment.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessaly::test {

namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& parent) {
    std::string pattern = parent + "/tessaly-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

void isolateUserEnvironment() {
    static TempDir home;
    const std::string& h = home.path();
    fs::create_directories(h + "/config");
    fs::create_directories(h + "/cache");
    fs::create_directories(h + "/runtime");
    fs::create_directories(h + "/Documents");
    fs::create_directories(h + "/Desktop");
    setenv("HOME", h.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (h + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (h + "/runtime").c_str(), 1);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t entryCount(const std::string& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

}  // namespace tessaly::test
