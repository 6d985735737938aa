// dbx_tree_test.cpp - reading DBX trees: shapes, value order, the limits of a
// node, and damaged trees that loop, repeat or nest too deep.
#include "sources/dbx_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/dbx_exception.h"
#include "support/dbx_writer.h"
#include "dbx_test_reading.h"

namespace tessaly {
namespace {

using test::DbxEntry;
using test::DbxWriter;
using test::dbxError;

std::vector<uint32_t> someValues(size_t count) {
    std::vector<uint32_t> values;
    for (size_t i = 0; i < count; ++i) values.push_back(0x10000 + 4 * static_cast<uint32_t>(i));
    return values;
}

std::vector<uint32_t> readValues(const std::string& bytes, uint32_t root, uint32_t count) {
    imemfile file(bytes.data(), bytes.size());
    const DbxTree tree(file, root, count);
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < tree.count(); ++i) values.push_back(tree.valueAt(i));
    return values;
}

TEST(DbxTree, ReadsValuesInTreeOrderWhateverTheShape) {
    struct Row {
        size_t count;
        unsigned perNode;
        const char* why;
    };
    const Row rows[] = {
        {1, 51, "a root holding one value"},
        {51, 51, "a full root: 51 entries"},
        {52, 51, "one more than a node holds: values in the child at 0x08 and in entry children"},
        {3000, 51, "three levels"},
        {300, 2, "narrow nodes give a deep tree"},
        {40, 1, "one entry per node: every node has two children"},
    };
    for (const Row& row : rows) {
        DbxWriter writer;
        const std::vector<uint32_t> values = someValues(row.count);
        std::vector<uint32_t> nodes;
        const uint32_t root = writer.addTree(values, row.perNode, &nodes);
        EXPECT_EQ(readValues(writer.bytes(), root, static_cast<uint32_t>(row.count)), values) << row.why;
    }
}

TEST(DbxTree, FiftyOneEntriesAreReadFiftyTwoAreNot) {
    DbxWriter writer;
    const uint32_t root = writer.addTree(someValues(51), 51);
    EXPECT_EQ(readValues(writer.bytes(), root, 51).size(), 51u);
    test::put8(writer.bytes(), root + test::kNodeEntryCount, 52);
    EXPECT_EQ(dbxError([&] { readValues(writer.bytes(), root, 51); }), "Wrong value for entries !");
}

TEST(DbxTree, EntriesWithoutValueStillHaveTheirChildrenRead) {
    DbxWriter writer;
    const uint32_t root = writer.reserveNode();
    const uint32_t a = writer.reserveNode();
    const uint32_t b = writer.reserveNode();
    writer.writeNode(a, root, 0, 0, {{0xA1, 0, 0}, {0xA2, 0, 0}});
    writer.writeNode(b, root, 0, 0, {{0xB1, 0, 0}});
    // Entry 0 and 2 hold no value, only a child; entry 1 has a value and no child.
    writer.writeNode(root, 0, 0, 0, {{0, a, 2}, {0x77, 0, 0}, {0, b, 1}});
    EXPECT_EQ(readValues(writer.bytes(), root, 4), (std::vector<uint32_t>{0xA1, 0xA2, 0x77, 0xB1}));
}

TEST(DbxTree, ValueNumbersStopAtTheCount) {
    DbxWriter writer;
    const uint32_t root = writer.addTree(someValues(3), 51);
    imemfile file(writer.bytes().data(), writer.bytes().size());
    const DbxTree tree(file, root, 3);
    EXPECT_EQ(tree.valueAt(2), 0x10008u);
    EXPECT_EQ(dbxError([&] { tree.valueAt(3); }), "Wrong index !");
}

// A node can only be reached from the node its parent field names, so a
// link back up the tree fails on the parent check.
TEST(DbxTree, LinksBackUpTheTreeFailOnTheParent) {
    struct Row {
        const char* why;
        int loopFrom;  // 0 root, 1 child, 2 grandchild; links its 0x08 child ...
        int loopTo;    // ... to this node
    };
    const Row rows[] = {
        {"the root's child is the root", 0, 0},
        {"a child is its own child", 1, 1},
        {"a grandchild links back to its parent", 2, 1},
        {"a grandchild links back to the root", 2, 0},
    };
    for (const Row& row : rows) {
        DbxWriter writer;
        const uint32_t node[3] = {writer.reserveNode(), writer.reserveNode(), writer.reserveNode()};
        writer.writeNode(node[0], 0, node[1], 2, {{0x10, 0, 0}});
        writer.writeNode(node[1], node[0], node[2], 1, {{0x20, 0, 0}});
        writer.writeNode(node[2], node[1], 0, 0, {{0x30, 0, 0}});
        test::put32(writer.bytes(), node[row.loopFrom] + test::kNodeChild, node[row.loopTo]);
        EXPECT_EQ(dbxError([&] { readValues(writer.bytes(), node[0], 3); }), "Wrong parent !") << row.why;
    }
}

// Every entry of a node links the same child, level after level, with no
// values: the parent checks pass, and a walk would visit 51^6 nodes.
TEST(DbxTree, ANodeLinkedOverAndOverEndsQuickly) {
    DbxWriter writer;
    std::vector<uint32_t> level;
    for (int i = 0; i < 7; ++i) level.push_back(writer.reserveNode());
    for (size_t i = 0; i < level.size(); ++i) {
        std::vector<DbxEntry> entries;
        if (i + 1 < level.size()) entries.assign(51, DbxEntry{0, level[i + 1], 0});
        writer.writeNode(level[i], i == 0 ? 0 : level[i - 1], 0, 0, entries);
    }
    EXPECT_EQ(dbxError([&] { readValues(writer.bytes(), level[0], 0); }), "Tree nodes overlap !");
}

// A chain of nodes, each the 0x08 child of the one before, deeper than any
// call stack would take one call per level.
TEST(DbxTree, AVeryDeepChainIsReadWithoutRecursion) {
    constexpr uint32_t kDepth = 20000;
    DbxWriter writer;
    std::vector<uint32_t> nodes;
    for (uint32_t i = 0; i < kDepth; ++i) nodes.push_back(writer.reserveNode());
    for (uint32_t i = 0; i < kDepth; ++i) {
        const bool last = i + 1 == kDepth;
        writer.writeNode(nodes[i], i == 0 ? 0 : nodes[i - 1], last ? 0 : nodes[i + 1],
                         last ? 0 : kDepth - 1 - i, {{i + 1, 0, 0}});
    }
    const std::vector<uint32_t> values = readValues(writer.bytes(), nodes[0], kDepth);
    ASSERT_EQ(values.size(), kDepth);
    // The deepest node's value comes first.
    EXPECT_EQ(values.front(), kDepth);
    EXPECT_EQ(values.back(), 1u);
}

}  // namespace
}  // namespace tessaly
