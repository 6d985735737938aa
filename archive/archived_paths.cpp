// archived_paths.cpp - an open-addressing table of the files written in
// this run.
#include "archive/archived_paths.h"

#include <functional>
#include <string_view>

#include "message/content_key.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr std::string_view kStandardPrefix = "1:";
constexpr size_t kStandardLength = 18;

// The value of a key written by contentKeyText, or nothing for another text.
std::optional<uint64_t> standardKey(const std::string& text) {
    if (text.size() != kStandardLength || !text.starts_with(kStandardPrefix)) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = kStandardPrefix.size(); i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return std::nullopt;  // upper case would not come back the same
        }
        value = value << 4 | digit;
    }
    return value;
}

}  // namespace

uint64_t ArchivedPaths::hashOf(const std::string& path) {
    const uint64_t hash = std::hash<std::string_view>{}(asciiLower(path));
    return hash == 0 ? 1 : hash;  // 0 marks a free slot
}

size_t ArchivedPaths::slotOf(uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    // The hash's high bits pick the start, so that similar low bits spread.
    size_t at = static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >> 20) & mask;
    while (slots_[at].pathHash != 0 && slots_[at].pathHash != hash) at = (at + 1) & mask;
    return at;
}

void ArchivedPaths::grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
        if (slot.pathHash != 0) slots_[slotOf(slot.pathHash)] = slot;
    }
}

std::optional<ArchivedPaths::Entry> ArchivedPaths::find(const std::string& path) const {
    if (slots_.empty()) return std::nullopt;
    const Slot& slot = slots_[slotOf(hashOf(path))];
    if (slot.pathHash == 0) return std::nullopt;
    Entry entry{folders_[slot.folder], std::string()};
    if (slot.kind == KeyKind::Standard) entry.contentKey = contentKeyText(slot.key);
    if (slot.kind == KeyKind::Other) entry.contentKey = otherKeys_[slot.key];
    return entry;
}

void ArchivedPaths::record(const std::string& path, const std::string& subfolderPath,
                           const std::string& contentKey) {
    // At most three quarters full, so that probes stay short.
    if ((count_ + 1) * 4 > slots_.size() * 3) grow();
    const uint64_t hash = hashOf(path);
    Slot& slot = slots_[slotOf(hash)];
    if (slot.pathHash != 0) return;  // the first record of a path stands
    const auto [known, added] = folderNumbers_.try_emplace(subfolderPath, static_cast<uint32_t>(folders_.size()));
    if (added) folders_.push_back(subfolderPath);
    slot.pathHash = hash;
    slot.folder = known->second;
    if (contentKey.empty()) {
        slot.kind = KeyKind::None;
    } else if (const std::optional<uint64_t> value = standardKey(contentKey)) {
        slot.kind = KeyKind::Standard;
        slot.key = *value;
    } else {
        slot.kind = KeyKind::Other;
        slot.key = otherKeys_.size();
        otherKeys_.push_back(contentKey);
    }
    ++count_;
}

}  // namespace tessaly
