// thunderbird_profiles.cpp - reading profiles.ini and finding profile folders.
#include "sources/thunderbird_profiles.h"

#include <algorithm>

#include "message/charsets.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/store_tree.h"

namespace tessaly {

namespace {

// profiles.ini is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxIniBytes = size_t{1} << 20;

bool isTrue(std::string_view value) { return value == "1" || equalsIgnoringCase(value, "true"); }

// The absolute folder of a Path= value.
std::string profileFolder(const std::string& root, const std::string& path, bool isRelative) {
    const bool relative = isRelative && (path.empty() || path.front() != '/');
    return absolutePath(relative ? childPath(root, path) : path);
}

void addProfile(std::vector<ThunderbirdProfile>& out, const std::string& name, const std::string& folder) {
    if (!isFolder(folder)) return;
    for (const ThunderbirdProfile& p : out) {
        if (p.folder == folder) return;
    }
    out.push_back({name.empty() ? folderDisplayName(lastPathPart(folder), false) : ensureUtf8(name), folder});
}

// Profile folders found by looking, for a profiles.ini that is lost.
std::vector<ThunderbirdProfile> guessedProfiles(const std::string& root) {
    std::vector<ThunderbirdProfile> out;
    for (const std::string& parent : {root, childPath(root, "Profiles")}) {
        std::vector<FolderEntry> entries;
        if (!listFolder(parent, entries)) continue;
        std::sort(entries.begin(), entries.end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder || entry.isLink) continue;
            const std::string folder = childPath(parent, entry.name);
            if (isThunderbirdProfileFolder(folder)) addProfile(out, "", absolutePath(folder));
        }
    }
    return out;
}

}  // namespace

ProfilesIni parseProfilesIni(std::string_view text) {
    enum class Section { Other, Profile, Install };
    ProfilesIni ini;
    Section section = Section::Other;
    bool installSeen = false;
    ProfilesIniEntry entry;
    bool relativeGiven = false;
    auto finishProfile = [&] {
        if (section == Section::Profile && !entry.path.empty()) {
            if (!relativeGiven) entry.isRelative = entry.path.front() != '/';
            ini.profiles.push_back(entry);
        }
        entry = ProfilesIniEntry{};
        relativeGiven = false;
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        std::string line = trimWhite(text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            finishProfile();
            const size_t close = line.find(']');
            const std::string_view name = std::string_view(line).substr(1, close == std::string::npos ? 0 : close - 1);
            section = close == std::string::npos           ? Section::Other
                      : startsWithIgnoringCase(name, "Profile") ? Section::Profile
                      : startsWithIgnoringCase(name, "Install") ? Section::Install
                                                                : Section::Other;
            if (section == Section::Install && installSeen) section = Section::Other;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trimWhite(std::string_view(line).substr(0, equals));
        const std::string value = trimWhite(std::string_view(line).substr(equals + 1));
        if (section == Section::Profile) {
            if (equalsIgnoringCase(key, "Name")) {
                entry.name = value;
            } else if (equalsIgnoringCase(key, "Path")) {
                entry.path = value;
            } else if (equalsIgnoringCase(key, "IsRelative")) {
                entry.isRelative = isTrue(value);
                relativeGiven = true;
            } else if (equalsIgnoringCase(key, "Default")) {
                entry.isDefault = isTrue(value);
            }
        } else if (section == Section::Install && equalsIgnoringCase(key, "Default") && !value.empty()) {
            ini.installDefault = value;
            installSeen = true;
        }
    }
    finishProfile();
    return ini;
}

std::vector<ThunderbirdProfile> thunderbirdProfiles(const std::string& root) {
    std::vector<ThunderbirdProfile> out;
    if (!isFolder(root)) return out;
    std::string text;
    uint64_t size = 0;
    const std::string iniPath = childPath(root, "profiles.ini");
    if (readableFileSize(iniPath, size) && readFileStart(iniPath, std::min<uint64_t>(size, kMaxIniBytes), text, size)) {
        const ProfilesIni ini = parseProfilesIni(text);
        // The install's default, else the profile marked default, comes first.
        std::string first;
        if (!ini.installDefault.empty()) first = profileFolder(root, ini.installDefault, true);
        const bool installDefaultListed = std::any_of(ini.profiles.begin(), ini.profiles.end(), [&](const auto& p) {
            return profileFolder(root, p.path, p.isRelative) == first && isFolder(first);
        });
        if (!installDefaultListed) {
            first.clear();
            for (const ProfilesIniEntry& p : ini.profiles) {
                const std::string folder = profileFolder(root, p.path, p.isRelative);
                if (p.isDefault && isFolder(folder)) {
                    first = folder;
                    break;
                }
            }
        }
        for (const ProfilesIniEntry& p : ini.profiles) {
            const std::string folder = profileFolder(root, p.path, p.isRelative);
            if (folder == first) addProfile(out, p.name, folder);
        }
        for (const ProfilesIniEntry& p : ini.profiles) {
            addProfile(out, p.name, profileFolder(root, p.path, p.isRelative));
        }
    }
    if (out.empty()) out = guessedProfiles(root);
    return out;
}

bool isThunderbirdProfileFolder(const std::string& folder) {
    uint64_t size = 0;
    return readableFileSize(childPath(folder, "prefs.js"), size) || isFolder(childPath(folder, "Mail")) ||
           isFolder(childPath(folder, "ImapMail"));
}

std::vector<std::string> thunderbirdRoots(const std::string& home) {
    return {childPath(home, ".thunderbird"), childPath(home, ".var/app/org.mozilla.Thunderbird/.thunderbird"),
            childPath(home, "snap/thunderbird/common/.thunderbird")};
}

}  // namespace tessaly
