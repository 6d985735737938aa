// name_numbers.cpp - taken numbers of archive names, remembered per run.
#include "archive/name_numbers.h"

#include <algorithm>

namespace tessaly {

uint32_t NameGroup::lowestHolding(const std::string& contentKey) const {
    // Without a key the message counts as held by whatever is there.
    if (contentKey.empty()) return next > 1 ? 1 : 0;
    const auto found = lowestByKey.find(contentKey);
    const uint32_t withKey = found == lowestByKey.end() ? 0 : found->second;
    if (withKey == 0 || lowestWithoutKey == 0) return withKey | lowestWithoutKey;
    return std::min(withKey, lowestWithoutKey);
}

void NameGroup::addNext(const std::string& key) {
    if (key.empty()) {
        if (lowestWithoutKey == 0) lowestWithoutKey = next;
    } else {
        lowestByKey.emplace(key, next);  // an earlier entry is lower
    }
    ++next;
}

uint32_t NameNumbers::firstToTry(const std::string& first) const {
    const auto found = next_.find(first);
    return found == next_.end() ? 1 : found->second;
}

void NameNumbers::took(const std::string& first, uint32_t number) {
    if (number > 1) next_[first] = number + 1;
}

NameGroup* NameNumbers::findGroup(const std::string& first) {
    const auto found = groups_.find(first);
    return found == groups_.end() ? nullptr : &found->second;
}

void NameNumbers::clear() {
    next_.clear();
    groups_.clear();
}

}  // namespace tessaly
