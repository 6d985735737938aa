// key_echoes_test.cpp - each key press counts once, however late the
// browser view hands its copy back.
#include "app/key_echoes.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

constexpr uint32_t kCtrl = 4;

TEST(KeyEchoes, CopiesAreKnownOnceAndNewPressesAreNot) {
    KeyEchoes echoes;
    const KeyPress b{1000, 'b', 56, kCtrl};
    const KeyPress m{1040, 'm', 58, kCtrl};
    EXPECT_FALSE(echoes.isEcho(b));
    EXPECT_FALSE(echoes.isEcho(m));  // typed before the page answered the first
    EXPECT_TRUE(echoes.isEcho(b));   // copies in the order the page answers
    EXPECT_TRUE(echoes.isEcho(m));
    EXPECT_FALSE(echoes.isEcho(b));  // a copy counts as one only once

    // The same key again, later, is a press of its own.
    EXPECT_FALSE(echoes.isEcho({1200, 'b', 56, kCtrl}));
    EXPECT_FALSE(echoes.isEcho({1240, 'b', 56, 0}));  // this time without Ctrl
}

TEST(KeyEchoes, PressesThePageKeptAreForgottenInTime) {
    KeyEchoes echoes;
    // Keys the page used never come back; they must not keep later copies
    // from being known.
    for (uint32_t t = 0; t < 100; ++t) EXPECT_FALSE(echoes.isEcho({t, 'a', 38, kCtrl}));
    EXPECT_FALSE(echoes.isEcho({500, 'e', 26, kCtrl}));
    EXPECT_TRUE(echoes.isEcho({500, 'e', 26, kCtrl}));
}

}  // namespace
}  // namespace tessaly
