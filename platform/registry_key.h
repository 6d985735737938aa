// registry_key.h - one registry key in memory: its values and subkeys in
// order, found by name without regard to letter case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace tessaly {

// Windows allows keys 512 levels deep; deeper paths are refused, which also
// bounds the recursion over a tree.
constexpr size_t kMaxKeyDepth = 512;

struct NamedValue {
    std::string name;  // "" is the default value
    RegistryValue value;
};

// Names match without regard to ASCII letter case; other bytes must match
// exactly. A key or value keeps the spelling it was first given.
class RegistryKey {
public:
    explicit RegistryKey(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<RegistryKey>& subkeys() const { return subkeys_; }
    const std::vector<NamedValue>& values() const { return values_; }

    const RegistryKey* findSubkey(std::string_view name) const;
    RegistryKey* findSubkey(std::string_view name);
    // The subkey of that name, appended when missing. The reference stays
    // valid until another subkey is added to or removed from this key.
    RegistryKey& addSubkey(std::string_view name, bool* created = nullptr);
    bool removeSubkey(std::string_view name);

    const RegistryValue* findValue(std::string_view name) const;
    // Adds or replaces a value (a replaced one keeps its place and
    // spelling); true when anything changed.
    bool setValue(std::string_view name, const RegistryValue& value);
    bool removeValue(std::string_view name);

private:
    std::string name_;
    std::vector<RegistryKey> subkeys_;
    std::vector<NamedValue> values_;
    // Folded name -> position, so that wide keys stay linear to build.
    std::unordered_map<std::string, size_t> subkeyIndex_;
    std::unordered_map<std::string, size_t> valueIndex_;
};

// Splits a backslash-separated key path into its names. "" is the root (no
// names). False for an empty name (leading, trailing or doubled backslash),
// a name holding a line break or NUL (it could not be written to a hive
// file), or a path deeper than kMaxKeyDepth.
bool splitKeyPath(std::string_view path, std::vector<std::string_view>& names);

// A value name the hive file can hold: no line break, no NUL.
bool isStorableValueName(std::string_view name);

}  // namespace tessaly
