// name_rules.cpp - learning the name rules of a folder's file system from
// its type or from probe files.
#include "platform/name_rules.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "platform/files.h"

namespace tessaly {

namespace {

enum class Kind { Posix, Windows, Unknown };

// Types from statfs (linux/magic.h). FUSE, NTFS and the network file
// systems are Unknown: what they take depends on the driver or the server.
Kind kindOfType(unsigned long type) {
    switch (type) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
    case 0x794C7630:  // overlayfs
    case 0xF2F52010:  // F2FS
    case 0x2FC12FC1:  // ZFS
    case 0xCA451A4E:  // bcachefs
    case 0x52654973:  // ReiserFS
    case 0x3153464A:  // JFS
    case 0x3434:      // NILFS
    case 0x6969:      // NFS
        return Kind::Posix;
    case 0x4D44:      // FAT (msdos, vfat)
    case 0x2011BAB0:  // exFAT
        return Kind::Windows;
    default:
        return Kind::Unknown;
    }
}

// `folder` or the nearest of its parents that exists.
std::string existingFolder(std::string folder, struct stat& st) {
    while (true) {
        if (!folder.empty() && ::stat(folder.c_str(), &st) == 0) return folder;
        while (!folder.empty() && folder.back() == '/') folder.pop_back();
        const size_t slash = folder.find_last_of('/');
        if (slash == std::string::npos) {
            folder = ".";
            if (::stat(folder.c_str(), &st) == 0) return folder;
            return {};
        }
        folder.resize(slash == 0 ? 1 : slash);
        if (folder == "/" && ::stat(folder.c_str(), &st) != 0) return {};
    }
}

// Creates a file of a temporary name and looks whether the same name in
// other letters finds it, and whether names with ":" or "é" can be made. Each
// probe name has the form of a staged file, so that a run cut off here
// leaves nothing that the next clearing would not remove. False when not
// even the plain name could be made (a full or read-only disk).
bool probe(const std::string& folder, NameRules& rules) {
    std::string plain;
    const int fd = openNewTemporary(folder + "/", plain);
    if (fd < 0) return false;
    ::close(fd);
    std::string upper = plain;
    for (size_t i = folder.size() + 1; i < upper.size(); ++i) {
        if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    }
    struct stat st{};
    rules.ignoresCase = ::stat(upper.c_str(), &st) == 0;

    // The plain name with `piece` before its ".tmp": made, then removed.
    const auto takes = [&plain](const char* piece) {
        const std::string name = plain.substr(0, plain.size() - 4) + piece + plain.substr(plain.size() - 4);
        const int made = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (made < 0) return false;
        ::close(made);
        ::unlink(name.c_str());
        return true;
    };
    rules.refusesWindowsCharacters = !takes(":");
    rules.refusesNonAscii = !takes("\xC3\xA9");
    // A file system that refuses those characters is one of Windows's, and
    // Windows drops dots and spaces at the end of a name (some drivers keep
    // them; a name without them is right on both).
    rules.dropsTrailingDotsAndSpaces = rules.refusesWindowsCharacters;
    ::unlink(plain.c_str());
    return true;
}

}  // namespace

NameRules nameRulesFor(const std::string& folder) {
    static std::mutex lock;
    static std::map<dev_t, NameRules> known;

    struct stat st{};
    const std::string existing = existingFolder(folder, st);
    if (existing.empty()) return {};
    {
        const std::lock_guard<std::mutex> hold(lock);
        const auto found = known.find(st.st_dev);
        if (found != known.end()) return found->second;
    }
    struct statfs fs{};
    if (::statfs(existing.c_str(), &fs) != 0) return {};
    NameRules rules;
    switch (kindOfType(static_cast<unsigned long>(fs.f_type))) {
    case Kind::Posix: break;
    case Kind::Windows: rules = kWindowsNameRules; break;
    case Kind::Unknown:
        // Not learnt: a later look may find the disk writable.
        if (!probe(existing, rules)) return {};
        break;
    }
    const std::lock_guard<std::mutex> hold(lock);
    known.emplace(st.st_dev, rules);
    return rules;
}

}  // namespace tessaly
