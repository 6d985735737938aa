// ascii_test.cpp - case folding touches A-Z only, whatever the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/ascii.h"

namespace tessaly {
namespace {

TEST(Ascii, OnlyTheAsciiLettersFold) {
    // Latin-1 capitals, UTF-8 lead bytes and the bytes next to A-Z stay.
    const std::string mixed = "A@Z[\xC0\xC9\xDE\xC3\x89" "az`{";
    EXPECT_EQ(asciiLower(mixed), "a@z[\xC0\xC9\xDE\xC3\x89" "az`{");
    EXPECT_FALSE(equalsIgnoringCase("\xC0", "\xE0"));
    // The process locale does not matter: the GTK shell sets one.
    std::setlocale(LC_ALL, "C.UTF-8");
    EXPECT_EQ(asciiLower("REN\xC3\x89"), "ren\xC3\x89");
    std::setlocale(LC_ALL, "C");
}

TEST(Ascii, ComparisonsIgnoreCaseAndKeepLength) {
    EXPECT_TRUE(equalsIgnoringCase("Content-Type", "content-TYPE"));
    EXPECT_FALSE(equalsIgnoringCase("Content-Type", "Content-Typ"));
    EXPECT_TRUE(startsWithIgnoringCase("DWORD:0000001", "dword:"));
    EXPECT_FALSE(startsWithIgnoringCase("dwor", "dword:"));
    EXPECT_TRUE(startsWithIgnoringCase("anything", ""));
}

}  // namespace
}  // namespace tessaly
