// registry_faults_test.cpp - hives under faults that bind root too: a disk
// that fills up during a rewrite, and a configuration folder that cannot
// be made.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/registry.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
constexpr RegistryHive HKCU = RegistryHive::CurrentUser;

class RegistryFaults : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfig_ = old ? old : "";
        setenv("XDG_CONFIG_HOME", temp_.path().c_str(), 1);
    }
    void TearDown() override { setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1); }

    test::TempDir temp_;
    std::string oldConfig_;
};

TEST_F(RegistryFaults, AFullDiskFailsTheWriteAndKeepsTheWholeHive) {
    ASSERT_TRUE(registryWriteString(HKCU, "Software\\Tessaly", "savedir", "/home/ann/Archive"));
    const std::string before = test::readFile(hivePath(HKCU));
    {
        test::FileSizeLimit full(before.size() + 100);
        EXPECT_FALSE(registryWriteString(HKCU, "Software\\Tessaly", "notes", std::string(5000, 'n')));
        EXPECT_EQ(lastSystemError(), EFBIG);
    }
    EXPECT_EQ(test::readFile(hivePath(HKCU)), before);
    std::string text;
    EXPECT_FALSE(registryReadString(HKCU, "Software\\Tessaly", "notes", text));
    ASSERT_TRUE(registryReadString(HKCU, "Software\\Tessaly", "savedir", text));
    EXPECT_EQ(text, "/home/ann/Archive");
    // No temporary file is left beside the hive.
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(temp_.file("tessaly"))) entries += e.is_regular_file();
    EXPECT_EQ(entries, 1u);
}

TEST_F(RegistryFaults, AConfigurationFolderThatCannotBeMadeReadsEmptyAndFailsWrites) {
    // A file where the folder should be binds root as well.
    test::writeFile(temp_.file("tessaly"), "not a folder");
    std::string text;
    EXPECT_FALSE(registryReadString(HKCU, "Software\\Tessaly", "savedir", text));
    EXPECT_FALSE(registryWriteString(HKCU, "Software\\Tessaly", "savedir", "/x"));
    EXPECT_FALSE(systemErrorText().empty());
    EXPECT_FALSE(registryKeyExists(HKCU, "Software"));
    EXPECT_EQ(test::readFile(temp_.file("tessaly")), "not a folder");
}

}  // namespace
}  // namespace tessaly
