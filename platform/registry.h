// registry.h - a Windows-style registry kept in REGEDIT4 text files: the
// current user's hive in configFolder()/user.reg, the machine hive in
// configFolder()/machine.reg.
//
// Key paths are backslash-separated and relative to the hive root, compared
// without regard to letter case (a key keeps the spelling it was created
// with). Every write rewrites the hive under a temporary name and renames it
// into place, so a crash never leaves half a hive. A hive file that does not
// parse is renamed to "<name>.bad" and reads as empty.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

enum class RegistryHive { CurrentUser, LocalMachine };

// Value types, numbered as Windows numbers them.
constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;

struct RegistryValue {
    uint32_t type = REG_NONE;
    // Strings: their bytes without a terminating zero. REG_DWORD: four bytes,
    // little-endian. Other types: the raw bytes.
    std::string data;
};

// The file that holds a hive.
std::string hivePath(RegistryHive hive);

bool registryKeyExists(RegistryHive hive, const std::string& key);

// Names of the direct subkeys of `key`, in the order the hive file holds
// them. False when the key does not exist.
bool registrySubkeys(RegistryHive hive, const std::string& key, std::vector<std::string>& names);

// `name` "" is the key's default value. False when the key or value is missing.
bool registryReadValue(RegistryHive hive, const std::string& key, const std::string& name,
                       RegistryValue& value);
// REG_SZ, or REG_EXPAND_SZ with its %VAR% references expanded; the text ends
// at the first NUL, as a C string read from the value would.
bool registryReadString(RegistryHive hive, const std::string& key, const std::string& name,
                        std::string& text);
bool registryReadDword(RegistryHive hive, const std::string& key, const std::string& name,
                       uint32_t& number);

// Writes create the key and its parents as needed.
bool registryWriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                        const RegistryValue& value);
bool registryWriteString(RegistryHive hive, const std::string& key, const std::string& name,
                         const std::string& text, uint32_t type = REG_SZ);
bool registryWriteDword(RegistryHive hive, const std::string& key, const std::string& name,
                        uint32_t number);
// Several values of one key in one rewrite of the hive.
bool registryWriteValues(RegistryHive hive, const std::string& key,
                         const std::vector<std::pair<std::string, RegistryValue>>& values);

bool registryCreateKey(RegistryHive hive, const std::string& key);
// Deletes the key with all its subkeys and values.
bool registryDeleteKey(RegistryHive hive, const std::string& key);
bool registryDeleteValue(RegistryHive hive, const std::string& key, const std::string& name);

// Replaces each %NAME% by the environment variable NAME; a reference to an
// unset variable stays as written.
std::string expandEnvironmentStrings(const std::string& text);

RegistryValue makeStringValue(const std::string& text, uint32_t type = REG_SZ);
RegistryValue makeDwordValue(uint32_t number);

}  // namespace tessaly
