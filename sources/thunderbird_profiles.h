// thunderbird_profiles.h - Thunderbird's profiles: the profiles.ini file of
// a Thunderbird folder and the profile folders it names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One [ProfileN] section of profiles.ini.
struct ProfilesIniEntry {
    std::string name;  // Name=, as written
    std::string path;  // Path=, as written
    bool isRelative = true;  // IsRelative= (a path beginning "/" is absolute without it)
    bool isDefault = false;  // Default=1
};

struct ProfilesIni {
    std::vector<ProfilesIniEntry> profiles;  // in file order, each with a Path=
    // Default= of the first [Install...] section: the profile newer
    // Thunderbird versions start with (a path as in Path=).
    std::string installDefault;
};

// Reads profiles.ini text: LF or CR LF lines, sections and keys compared
// ignoring ASCII case, ";" and "#" comments; junk lines are ignored.
ProfilesIni parseProfilesIni(std::string_view text);

struct ThunderbirdProfile {
    std::string name;    // the profile's name (its folder's name when it has none)
    std::string folder;  // absolute, no trailing "/"
};

// The profiles of the Thunderbird folder `root` (~/.thunderbird and the
// like) whose folders exist, the default first, then in file order. When
// profiles.ini is missing or names no existing folder, the subfolders of
// `root` and of root/Profiles that look like profiles, by name.
std::vector<ThunderbirdProfile> thunderbirdProfiles(const std::string& root);

// Whether `folder` looks like a Thunderbird profile: it has prefs.js, or a
// Mail or ImapMail folder.
bool isThunderbirdProfileFolder(const std::string& folder);

// The Thunderbird folders of the user whose home is `home`, in the order
// they are searched: the usual one, Flatpak's, Snap's.
std::vector<std::string> thunderbirdRoots(const std::string& home);

}  // namespace tessaly
