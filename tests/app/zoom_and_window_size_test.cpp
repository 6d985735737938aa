// zoom_and_window_size_test.cpp - the zoom steps of the main window and its
// size kept in the settings.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "app/window_size.h"
#include "app/zoom_steps.h"
#include "platform/registry.h"

namespace tessaly {
namespace {

TEST(ZoomSteps, StepUpAndDownAndStopAtTheEnds) {
    EXPECT_DOUBLE_EQ(zoomedIn(kNormalZoom), 1.10);
    EXPECT_DOUBLE_EQ(zoomedOut(kNormalZoom), 0.90);
    EXPECT_DOUBLE_EQ(zoomedIn(zoomedOut(kNormalZoom)), kNormalZoom);
    EXPECT_DOUBLE_EQ(zoomedIn(3.0), 3.0);
    EXPECT_DOUBLE_EQ(zoomedOut(0.3), 0.3);
    // Beyond the ends or between steps: onto the ladder.
    EXPECT_DOUBLE_EQ(zoomedIn(7.0), 3.0);
    EXPECT_DOUBLE_EQ(zoomedOut(0.01), 0.3);
    EXPECT_DOUBLE_EQ(zoomedIn(1.05), 1.10);
    EXPECT_DOUBLE_EQ(zoomedOut(1.05), 1.00);
    // A level read back from the view as 1.0999999 is the step 1.1.
    EXPECT_DOUBLE_EQ(zoomedIn(1.0999999), 1.20);
}

class WindowSizeStore : public ::testing::Test {
protected:
    void SetUp() override { registryDeleteKey(RegistryHive::CurrentUser, kSettingsKey); }
    void TearDown() override { registryDeleteKey(RegistryHive::CurrentUser, kSettingsKey); }
};

TEST_F(WindowSizeStore, FirstStartHasTheSmallestSize) {
    const WindowSize size = loadWindowSize();
    EXPECT_EQ(size.width, 400);
    EXPECT_EQ(size.height, 560);
    EXPECT_FALSE(size.maximized);
}

TEST_F(WindowSizeStore, SizeComesBackAndLeavesTheOtherChoicesAlone) {
    registryWriteString(RegistryHive::CurrentUser, kSettingsKey, "savedir", "/srv/archive");
    saveWindowSize({720, 900, true});
    const WindowSize size = loadWindowSize();
    EXPECT_EQ(size.width, 720);
    EXPECT_EQ(size.height, 900);
    EXPECT_TRUE(size.maximized);
    std::string savedir;
    ASSERT_TRUE(registryReadString(RegistryHive::CurrentUser, kSettingsKey, "savedir", savedir));
    EXPECT_EQ(savedir, "/srv/archive");
}

TEST_F(WindowSizeStore, DamagedValuesGiveAWindowThatFits) {
    registryWriteDword(RegistryHive::CurrentUser, kSettingsKey, "windowwidth", 0);
    registryWriteDword(RegistryHive::CurrentUser, kSettingsKey, "windowheight", 0xFFFFFFFFu);
    registryWriteString(RegistryHive::CurrentUser, kSettingsKey, "windowmaximized", "yes");
    WindowSize size = loadWindowSize();
    EXPECT_EQ(size.width, 400);
    EXPECT_EQ(size.height, 16384);
    EXPECT_FALSE(size.maximized);  // not a number: as if missing
    saveWindowSize({10, -5, false});
    size = loadWindowSize();
    EXPECT_EQ(size.width, 400);
    EXPECT_EQ(size.height, 560);
}

}  // namespace
}  // namespace tessaly
