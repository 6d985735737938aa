// name_rules_test.cpp - the name rules learnt of a folder's file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/name_rules.h"
#include "support/on_each_disk.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

class NameRulesOn : public test::OnEachDisk {};
TESSALY_ON_EACH_DISK(NameRulesOn);

TEST_P(NameRulesOn, AreLearntWithoutLeavingAFileBehind) {
    test::TempDir dir(disk());
    const NameRules rules = nameRulesFor(dir.path());
    if (onImage()) {
        EXPECT_TRUE(rules.refusesWindowsCharacters);
        EXPECT_TRUE(rules.dropsTrailingDotsAndSpaces);
        EXPECT_TRUE(rules.ignoresCase);
    } else {
        EXPECT_TRUE(rules.keepsEveryName());
    }
    EXPECT_EQ(test::entryCount(dir.path()), 0u);

    // A folder not made yet has the rules of the one it will be made in.
    const NameRules below = nameRulesFor(dir.file("not/made/yet"));
    EXPECT_EQ(below.refusesWindowsCharacters, rules.refusesWindowsCharacters);
    EXPECT_EQ(below.ignoresCase, rules.ignoresCase);
    EXPECT_EQ(test::entryCount(dir.path()), 0u);
}

}  // namespace
}  // namespace tessaly
