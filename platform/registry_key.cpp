// registry_key.cpp - one registry key in memory, names without regard to case.
#include "platform/registry_key.h"

#include "platform/ascii.h"

namespace tessaly {

namespace {

bool isStorableName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

bool isStorableValueName(std::string_view name) { return isStorableName(name); }

bool splitKeyPath(std::string_view path, std::vector<std::string_view>& names) {
    names.clear();
    if (path.empty()) return true;
    size_t start = 0;
    while (true) {
        const size_t end = path.find('\\', start);
        const std::string_view name = path.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty() || !isStorableName(name) || names.size() == kMaxKeyDepth) return false;
        names.push_back(name);
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

const RegistryKey* RegistryKey::findSubkey(std::string_view name) const {
    const auto it = subkeyIndex_.find(asciiLower(name));
    return it == subkeyIndex_.end() ? nullptr : &subkeys_[it->second];
}

RegistryKey* RegistryKey::findSubkey(std::string_view name) {
    const auto it = subkeyIndex_.find(asciiLower(name));
    return it == subkeyIndex_.end() ? nullptr : &subkeys_[it->second];
}

RegistryKey& RegistryKey::addSubkey(std::string_view name, bool* created) {
    const auto [it, added] = subkeyIndex_.emplace(asciiLower(name), subkeys_.size());
    if (added) subkeys_.emplace_back(std::string(name));
    if (created) *created = added;
    return subkeys_[it->second];
}

bool RegistryKey::removeSubkey(std::string_view name) {
    const auto it = subkeyIndex_.find(asciiLower(name));
    if (it == subkeyIndex_.end()) return false;
    const size_t position = it->second;
    subkeys_.erase(subkeys_.begin() + static_cast<std::ptrdiff_t>(position));
    subkeyIndex_.erase(it);
    for (auto& entry : subkeyIndex_) {
        if (entry.second > position) --entry.second;
    }
    return true;
}

const RegistryValue* RegistryKey::findValue(std::string_view name) const {
    const auto it = valueIndex_.find(asciiLower(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second].value;
}

bool RegistryKey::setValue(std::string_view name, const RegistryValue& value) {
    const auto [it, added] = valueIndex_.emplace(asciiLower(name), values_.size());
    if (added) {
        values_.push_back(NamedValue{std::string(name), value});
        return true;
    }
    RegistryValue& old = values_[it->second].value;
    if (old.type == value.type && old.data == value.data) return false;
    old = value;
    return true;
}

bool RegistryKey::removeValue(std::string_view name) {
    const auto it = valueIndex_.find(asciiLower(name));
    if (it == valueIndex_.end()) return false;
    const size_t position = it->second;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
    valueIndex_.erase(it);
    for (auto& entry : valueIndex_) {
        if (entry.second > position) --entry.second;
    }
    return true;
}

}  // namespace tessaly
