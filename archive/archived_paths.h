// archived_paths.h - the page and EML files written in this run, kept in
// little memory: a run of a million messages must not hold a million paths.
//
// Each file is kept as a 64-bit hash of its lower-cased full path, the
// number of its source folder's subfolder path (each path is kept once) and
// its content key in binary. Two different paths that share a hash are
// taken for one; among a million files written that happens about once in
// ten million runs, and then only a message whose name is taken anyway is
// judged by the other file's content key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

class ArchivedPaths {
public:
    struct Entry {
        std::string subfolderPath;  // relative, ending in "/"
        std::string contentKey;     // empty when the message had none
    };
    // What `path` was written for, if it was written in this run.
    std::optional<Entry> find(const std::string& path) const;
    void record(const std::string& path, const std::string& subfolderPath, const std::string& contentKey);
    size_t size() const { return count_; }

private:
    enum class KeyKind : uint8_t { None, Standard, Other };
    struct Slot {
        uint64_t pathHash = 0;  // 0: free
        uint64_t key = 0;       // Standard: the key's value; Other: index into otherKeys_
        uint32_t folder = 0;    // index into folders_
        KeyKind kind = KeyKind::None;
    };

    static uint64_t hashOf(const std::string& path);
    size_t slotOf(uint64_t hash) const;
    void grow();

    std::vector<Slot> slots_;
    size_t count_ = 0;
    std::vector<std::string> folders_;
    std::unordered_map<std::string, uint32_t> folderNumbers_;
    std::vector<std::string> otherKeys_;  // keys not of the form contentKeyText makes
};

}  // namespace tessaly
