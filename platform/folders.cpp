// folders.cpp - the user's special folders and the program's own folders.
#include "platform/folders.h"

#include <glib.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"

namespace tessaly {

namespace {

std::string fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string specialFolder(GUserDirectory which, const char* fallback) {
    const char* dir = g_get_user_special_dir(which);
    if (dir && *dir) return dir;
    const std::string home = homeFolder();
    return home.empty() ? "" : home + "/" + fallback;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

std::string homeFolder() {
    std::string home = fromEnvironment("HOME");
    if (home.empty()) {
        const char* glibHome = g_get_home_dir();
        if (glibHome) home = glibHome;
    }
    return home;
}

std::string documentsFolder() { return specialFolder(G_USER_DIRECTORY_DOCUMENTS, "Documents"); }

std::string desktopFolder() { return specialFolder(G_USER_DIRECTORY_DESKTOP, "Desktop"); }

std::string configFolder() {
    std::string base = fromEnvironment("XDG_CONFIG_HOME");
    if (base.empty()) base = homeFolder() + "/.config";
    return base + "/tessaly";
}

std::string runtimeFolder() {
    std::string base = fromEnvironment("XDG_RUNTIME_DIR");
    if (base.empty()) {
        base = fromEnvironment("XDG_CACHE_HOME");
        if (base.empty()) base = homeFolder() + "/.cache";
    }
    const std::string folder = base + "/tessaly";
    createFolderPath(folder);
    return folder;
}

std::string executablePath() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
}

std::string dataFolder() {
    // A program in the build tree (or one folder below it) has the build's
    // CMakeCache.txt above it.
    std::string dir = parentOf(executablePath());
    for (int level = 0; level < 3 && !dir.empty(); ++level, dir = parentOf(dir)) {
        if (pathExists(dir + "/CMakeCache.txt")) return TESSALY_SOURCE_DATA_DIR;
    }
    return TESSALY_INSTALL_DATA_DIR;
}

}  // namespace tessaly
