// model_test.cpp - the part iterator's visiting order and tree freeing.
#include "message/model.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

// Links `child` as the last child of `parent`.
tagMessagePart* addChild(tagMessagePart& parent, const std::string& name) {
    auto* child = new tagMessagePart;
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
    tagMessagePart* a = addChild(info.rootPart, "A");
    tagMessagePart* b = addChild(info.rootPart, "B");
    addChild(*a, "A1");
    addChild(*a, "A2");
    addChild(*b, "B1");
    EXPECT_EQ(walk(info.rootPart), "R A A1 B A2 B1 ");
    freePartTree(info.rootPart);
    EXPECT_EQ(info.rootPart.firstChild, nullptr);
}

TEST(PartIterator, OneChildWithTwoGrandchildren) {
    tagMessagePart root;
    root.fileName = "root";
    tagMessagePart* child = addChild(root, "child");
    addChild(*child, "g1");
    addChild(*child, "g2");
    EXPECT_EQ(walk(root), "root child g1 g2 ");
    freePartTree(root);
}

TEST(PartIterator, LoneRootAndEmptyStart) {
    tagMessagePart root;
    root.fileName = "R";
    EXPECT_EQ(walk(root), "R ");
    TPartIterator none(nullptr);
    EXPECT_EQ(none.next(), nullptr);
}

TEST(PartTree, FreesAVeryDeepTreeWithoutRecursion) {
    tagMessagePart root;
    tagMessagePart* deepest = &root;
    for (int i = 0; i < 200000; ++i) deepest = addChild(*deepest, "");
    freePartTree(root);  // a recursive free would overflow the stack
    EXPECT_EQ(root.firstChild, nullptr);
}

TEST(MessageInfo, InitialStateIsEmpty) {
    TMessageInfo info;
    info.subject = "x";
    info.isNews = true;
    info.fileTime = makeFileTime(5);
    info.sentTime.wYear = 2001;
    info.rootPart.kind = PartKind::Html;
    initMessageInfo(info);
    EXPECT_TRUE(info.subject.empty());
    EXPECT_FALSE(info.isNews);
    EXPECT_EQ(fileTimeValue(info.fileTime), 0u);
    EXPECT_EQ(info.sentTime, SYSTEMTIME{});
    EXPECT_EQ(info.rootPart.kind, PartKind::Unclassified);
    EXPECT_EQ(info.rootPart.partNumber, 0);
}

}  // namespace
}  // namespace tessaly
