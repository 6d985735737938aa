// name_rules.h - what the file system under a folder does with file names:
// the characters it refuses, the trailing dots and spaces it drops, and
// whether it tells names apart by letter case.
#pragma once

#include <string>

namespace tessaly {

struct NameRules {
    // Refuses the characters Windows forbids in names (":", "?", "*", "\"",
    // "<", ">", "|", "\\" and the control characters).
    bool refusesWindowsCharacters = false;
    // Drops or refuses dots and spaces at the end of a name.
    bool dropsTrailingDotsAndSpaces = false;
    // Takes two names that differ only in letter case for one file.
    bool ignoresCase = false;
    // Refuses every byte past ASCII (fusefat, where real FAT takes UTF-8).
    bool refusesNonAscii = false;

    // Every name is kept byte for byte, as on ext4 and other POSIX systems.
    bool keepsEveryName() const {
        return !refusesWindowsCharacters && !dropsTrailingDotsAndSpaces && !refusesNonAscii;
    }
};

// The rules of FAT, exFAT and other Windows file systems.
inline constexpr NameRules kWindowsNameRules{true, true, true, false};

// The rules of the file system that holds `folder` (or, while it does not
// exist yet, its nearest existing parent). Known POSIX and Windows file
// systems are told by their type; FUSE and network file systems, which
// all share one type, by creating probe files under temporary names and
// looking at what happened. Learnt once per file system.
NameRules nameRulesFor(const std::string& folder);

}  // namespace tessaly
