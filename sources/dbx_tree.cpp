// dbx_tree.cpp - reading the tree of a DBX file into its list of values.
#include "sources/dbx_tree.h"

#include <algorithm>
#include <new>

#include "sources/dbx_exception.h"

namespace tessaly {

namespace {

// One node being walked. Values found so far in the walk equal first + found
// at every step, so they are appended in order.
struct Frame {
    uint32_t node = 0;
    uint64_t first = 0;     // value number of the node's first value
    uint64_t expected = 0;  // values its subtree must hold
    uint64_t found = 0;     // values of its subtree met so far
    uint32_t entries = 0;
    int next = -1;          // next entry to visit; -1 = the child at 0x08 first
};

}  // namespace

DbxTree::DbxTree(imemfile& file, uint32_t root, uint32_t count) : root_(root), count_(count) {
    // Every value sits in a 12-byte entry of its own, so a file cannot hold
    // more than size / 12; a larger count fails below as a wrong count.
    try {
        values_.reserve(std::min<uint64_t>(count, file.size() / kDbxNodeEntrySize));
        read(file);
    } catch (const std::bad_alloc&) {
        throw DbxException(kDbxErrorAllocating);
    }
}

uint32_t DbxTree::valueAt(uint32_t i) const {
    if (i >= values_.size()) throw DbxException(kDbxWrongIndex);
    return values_[i];
}

// Walks the tree depth-first with a stack of its own, so a deep (damaged)
// tree cannot exhaust the call stack. Each node must name the node it was
// reached from as its parent, which rules out cycles; the node budget rules
// out a node linked many times from the same parent.
void DbxTree::read(imemfile& file) {
    const DbxView view = file.view();
    const uint64_t nodeBudget = view.size / kDbxNodeSize;
    uint64_t nodesRead = 0;
    std::vector<Frame> stack;

    auto enter = [&](uint32_t node, uint32_t parent, uint64_t first, uint64_t expected) {
        if (first + expected > count_) throw DbxException(kDbxTooManyToRead);
        // Checked before reading, so that a bad link leaves the file good for
        // the caller's next read.
        if (!file.good() || !view.contains(node, kDbxNodeSize)) throw DbxException(kDbxErrorReadingNode);
        unsigned char head[kDbxNodeSize];
        file.seek(node);
        file.read(head, kDbxNodeSize);
        if (!file.good()) throw DbxException(kDbxErrorReadingNode);
        const DbxView bytes{reinterpret_cast<const char*>(head), kDbxNodeSize};
        if (le32(bytes, 0) != node) throw DbxException(kDbxWrongMarker);
        if (le32(bytes, kDbxNodeParentAt) != parent) throw DbxException(kDbxWrongParent);
        const uint32_t entries = le8(bytes, kDbxNodeEntryCountAt);
        if (entries > kDbxNodeMaxEntries) throw DbxException(kDbxWrongEntries);
        // Nodes lie side by side in a sound file; more of them than fit in
        // it means a node is read twice.
        if (++nodesRead > nodeBudget) throw DbxException(kDbxNodesOverlap);
        stack.push_back({node, first, expected, 0, entries, -1});
    };

    enter(root_, 0, 0, count_);
    while (!stack.empty()) {
        Frame& top = stack.back();
        const uint32_t node = top.node;
        const uint64_t childFirst = top.first + top.found;
        if (top.next < 0) {
            top.next = 0;
            const uint32_t child = le32(view, uint64_t{node} + kDbxNodeChildAt);
            if (child != 0) {
                const uint32_t childCount = le32(view, uint64_t{node} + kDbxNodeChildValuesAt);
                top.found += childCount;
                enter(child, node, childFirst, childCount);
            }
            continue;
        }
        if (static_cast<uint32_t>(top.next) < top.entries) {
            const uint64_t entry = uint64_t{node} + kDbxNodeEntriesAt +
                                   uint64_t{kDbxNodeEntrySize} * static_cast<uint32_t>(top.next);
            ++top.next;
            const uint32_t value = le32(view, entry);
            if (value != 0) {
                if (top.first + top.found + 1 > count_) throw DbxException(kDbxTooManyValues);
                values_.push_back(value);
                ++top.found;
            }
            const uint32_t child = le32(view, entry + 4);
            if (child != 0) {
                const uint32_t childCount = le32(view, entry + 8);
                const uint64_t first = top.first + top.found;
                top.found += childCount;
                enter(child, node, first, childCount);
            }
            continue;
        }
        if (top.found != top.expected) throw DbxException(kDbxWrongValueCount);
        stack.pop_back();
    }
}

}  // namespace tessaly
