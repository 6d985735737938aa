// dbx_tree.h - the tree of a DBX file that lists its records by number.
#pragma once

#include <cstdint>
#include <vector>

#include "sources/imemfile.h"

namespace tessaly {

// Tree node layout.
inline constexpr uint32_t kDbxNodeSize = 0x27C;
inline constexpr uint32_t kDbxNodeMaxEntries = 51;
inline constexpr uint32_t kDbxNodeChildAt = 0x08;       // child before entry 0
inline constexpr uint32_t kDbxNodeParentAt = 0x0C;
inline constexpr uint32_t kDbxNodeEntryCountAt = 0x11;  // one byte
inline constexpr uint32_t kDbxNodeChildValuesAt = 0x14; // values below the child at 0x08
inline constexpr uint32_t kDbxNodeEntriesAt = 0x18;
inline constexpr uint32_t kDbxNodeEntrySize = 12;       // value, child, values below child

// A whole tree, read at construction. The values (file offsets of
// indexed-info objects) come in tree order: the subtree at 0x08, then each
// entry's value (when not 0) followed by that entry's subtree.
class DbxTree {
public:
    // Raises DbxException on a malformed tree.
    DbxTree(imemfile& file, uint32_t root, uint32_t count);

    // Raises "Wrong index !" when i is not below the count.
    uint32_t valueAt(uint32_t i) const;
    uint32_t count() const { return count_; }
    uint32_t root() const { return root_; }

private:
    void read(imemfile& file);

    uint32_t root_ = 0;
    uint32_t count_ = 0;
    std::vector<uint32_t> values_;
};

}  // namespace tessaly
