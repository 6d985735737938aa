// model_test.cpp - the part iterator's visiting order and the part store.
#include "message/model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tessaly {
namespace {

// Links a new part of `store` as the last child of `parent`.
tagMessagePart* addChild(PartStore& store, tagMessagePart& parent, const std::string& name) {
    tagMessagePart* child = &store.add();
    child->fileName = name;
    child->parent = &parent;
    tagMessagePart** slot = &parent.firstChild;
    while (*slot) slot = &(*slot)->nextSibling;
    *slot = child;
    return child;
}

std::string walk(tagMessagePart& root) {
    std::string order;
    TPartIterator it(&root);
    while (tagMessagePart* part = it.next()) order += part->fileName + " ";
    return order;
}

TEST(PartIterator, VisitsFirstChildBeforeSiblingBreadthFirst) {
    TMessageInfo info;
    info.rootPart.fileName = "R";
    tagMessagePart* a = addChild(info.parts, info.rootPart, "A");
    tagMessagePart* b = addChild(info.parts, info.rootPart, "B");
    addChild(info.parts, *a, "A1");
    addChild(info.parts, *a, "A2");
    addChild(info.parts, *b, "B1");
    EXPECT_EQ(walk(info.rootPart), "R A A1 B A2 B1 ");
}

TEST(PartIterator, OneChildWithTwoGrandchildren) {
    PartStore store;
    tagMessagePart root;
    root.fileName = "root";
    tagMessagePart* child = addChild(store, root, "child");
    addChild(store, *child, "g1");
    addChild(store, *child, "g2");
    EXPECT_EQ(walk(root), "root child g1 g2 ");
}

TEST(PartIterator, LoneRootAndEmptyStart) {
    tagMessagePart root;
    root.fileName = "R";
    EXPECT_EQ(walk(root), "R ");
    TPartIterator none(nullptr);
    EXPECT_EQ(none.next(), nullptr);
}

TEST(PartStore, AVeryDeepTreeGoesWithoutRecursion) {
    auto info = std::make_unique<TMessageInfo>();
    tagMessagePart* deepest = &info->rootPart;
    for (int i = 0; i < 200000; ++i) deepest = addChild(info->parts, *deepest, "");
    EXPECT_EQ(info->parts.size(), 200000u);
    info.reset();  // a recursive free would overflow the stack
}

TEST(PartStore, OwnedBytesAndPartsStayWhereTheyAre) {
    PartStore store;
    tagMessagePart& first = store.addOwning("body one");
    const char* bytes = first.bodyStart;
    // Many more parts and buffers move nothing that was handed out.
    for (int i = 0; i < 10000; ++i) store.addOwning(std::string(100, 'x'));
    EXPECT_EQ(first.bodyStart, bytes);
    EXPECT_EQ(first.headerStart, bytes);
    EXPECT_EQ(std::string(first.bodyStart, first.bodyEnd), "body one");
    EXPECT_EQ(first.kind, PartKind::Unclassified);
}

}  // namespace
}  // namespace tessaly
