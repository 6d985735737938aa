// pff_profiles.cpp - profiles and services of the provider in the registry.
#include "mapi/pff_profiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>

#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/registry.h"

namespace tessaly::pff {

const char kProfilesKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
const char kDocumentsProfile[] = "Outlook";
const char kPstService[] = "MSPST MS";

namespace {

constexpr RegistryHive kHive = RegistryHive::CurrentUser;
constexpr size_t kUidSize = 16;
const char kDefaultValue[] = "DefaultProfile";

std::string profileKey(const std::string& profile) { return std::string(kProfilesKey) + "\\" + profile; }

// Profile sections name their values as MAPI does: the tag's type, then its
// id, in hexadecimal ("001e3001" for PR_DISPLAY_NAME).
std::string valueName(uint32_t tag) {
    char name[9];
    std::snprintf(name, sizeof name, "%04x%04x", propType(tag), propId(tag));
    return name;
}

std::string hexText(const EntryId& uid) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : uid) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

bool uidFromHex(const std::string& hex, EntryId& uid) {
    if (hex.size() != kUidSize * 2) return false;
    uid.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const std::string pair = hex.substr(i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
            return false;
        }
        uid += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return true;
}

EntryId newUid() {
    std::random_device random;
    EntryId uid;
    while (uid.size() < kUidSize) {
        const uint32_t bits = random();
        for (int i = 0; i < 4 && uid.size() < kUidSize; ++i) uid += static_cast<char>(bits >> (8 * i));
    }
    return uid;
}

bool validName(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

std::string readText(const std::string& key, uint32_t tag) {
    std::string text;
    registryReadString(kHive, key, valueName(tag), text);
    return text;
}

bool isReadableFile(const std::string& path) {
    uint64_t size = 0;
    return readableFileSize(path, size);
}

}  // namespace

std::vector<std::string> profileNames() {
    std::vector<std::string> names;
    registrySubkeys(kHive, kProfilesKey, names);
    return names;
}

std::string defaultProfile() {
    std::string name;
    registryReadString(kHive, kProfilesKey, kDefaultValue, name);
    return name;
}

bool profileExists(const std::string& name) {
    return validName(name) && registryKeyExists(kHive, profileKey(name));
}

MapiResult createProfile(const std::string& name) {
    if (!validName(name)) return MAPI_E_INVALID_PARAMETER;
    if (profileExists(name)) return MAPI_E_NO_ACCESS;
    return registryCreateKey(kHive, profileKey(name)) ? SUCCESS_SUCCESS : MAPI_E_DISK_ERROR;
}

MapiResult deleteProfile(const std::string& name) {
    if (!profileExists(name)) return MAPI_E_NOT_FOUND;
    if (!registryDeleteKey(kHive, profileKey(name))) return MAPI_E_DISK_ERROR;
    if (equalsIgnoringCase(defaultProfile(), name)) registryDeleteValue(kHive, kProfilesKey, kDefaultValue);
    return SUCCESS_SUCCESS;
}

std::vector<ServiceEntry> profileServices(const std::string& profile) {
    std::vector<ServiceEntry> services;
    std::vector<std::string> sections;
    if (!profileExists(profile) || !registrySubkeys(kHive, profileKey(profile), sections)) return services;
    for (const std::string& section : sections) {
        ServiceEntry entry;
        if (!uidFromHex(section, entry.uid)) continue;
        const std::string key = profileKey(profile) + "\\" + section;
        entry.service = readText(key, PR_SERVICE_NAME);
        entry.displayName = readText(key, PR_DISPLAY_NAME);
        entry.pstPath = readText(key, PR_PST_PATH);
        services.push_back(std::move(entry));
    }
    return services;
}

MapiResult createService(const std::string& profile, const std::string& service,
                         const std::string& displayName, EntryId& uid) {
    uid.clear();
    if (!profileExists(profile) || service != kPstService) return MAPI_E_NOT_FOUND;
    const EntryId created = newUid();
    const bool written = registryWriteValues(kHive, profileKey(profile) + "\\" + hexText(created),
                                             {{valueName(PR_SERVICE_NAME), makeStringValue(service)},
                                              {valueName(PR_DISPLAY_NAME), makeStringValue(displayName)}});
    if (!written) return MAPI_E_DISK_ERROR;
    uid = created;
    return SUCCESS_SUCCESS;
}

MapiResult configureService(const std::string& profile, const EntryId& uid, const PropRow& properties) {
    const std::string key = profileKey(profile) + "\\" + hexText(uid);
    if (uid.size() != kUidSize || !profileExists(profile) || !registryKeyExists(kHive, key)) {
        return MAPI_E_NOT_FOUND;
    }
    std::vector<std::pair<std::string, RegistryValue>> values;
    for (const PropValue& property : properties) {
        const uint32_t tag = changePropType(property.tag, PT_STRING8);
        if (isErrorValue(property) || (tag != PR_PST_PATH && tag != PR_DISPLAY_NAME)) continue;
        if (tag == PR_PST_PATH && !isReadableFile(property.bytes)) return MAPI_E_NOT_FOUND;
        values.emplace_back(valueName(tag), makeStringValue(property.bytes));
    }
    if (values.empty()) return SUCCESS_SUCCESS;
    return registryWriteValues(kHive, key, values) ? SUCCESS_SUCCESS : MAPI_E_DISK_ERROR;
}

void ensureDocumentsProfile() {
    if (!profileExists(kDocumentsProfile)) createProfile(kDocumentsProfile);
    if (defaultProfile().empty() && profileExists(kDocumentsProfile)) {
        registryWriteString(kHive, kProfilesKey, kDefaultValue, kDocumentsProfile);
    }
}

void syncDocumentsProfile() {
    ensureDocumentsProfile();
    const std::string documents = documentsFolder();
    if (documents.empty() || !profileExists(kDocumentsProfile)) return;
    const std::string folder = documents + "/Outlook Files";

    std::vector<std::string> files;
    std::vector<FolderEntry> entries;
    if (listFolder(folder, entries)) {
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder && equalsIgnoringCase(extensionOf(entry.name), ".pst")) {
                files.push_back(entry.name);
            }
        }
    }
    std::sort(files.begin(), files.end());

    const std::vector<ServiceEntry> services = profileServices(kDocumentsProfile);
    // Services of files that are gone go with them.
    for (const ServiceEntry& service : services) {
        if (std::filesystem::path(service.pstPath).parent_path() == folder &&
            !isReadableFile(service.pstPath)) {
            registryDeleteKey(kHive, profileKey(kDocumentsProfile) + "\\" + hexText(service.uid));
        }
    }
    for (const std::string& name : files) {
        const std::string path = folder + "/" + name;
        const bool known = std::any_of(services.begin(), services.end(),
                                       [&](const ServiceEntry& s) { return s.pstPath == path; });
        if (known) continue;
        EntryId uid;
        if (createService(kDocumentsProfile, kPstService, name.substr(0, name.size() - 4), uid) !=
            SUCCESS_SUCCESS) {
            continue;
        }
        if (configureService(kDocumentsProfile, uid, {textValue(PR_PST_PATH, path)}) !=
            SUCCESS_SUCCESS) {
            registryDeleteKey(kHive, profileKey(kDocumentsProfile) + "\\" + hexText(uid));
        }
    }
}

}  // namespace tessaly::pff
