// typed_words_test.cpp - the Ctrl-typed words that open the EML page.
#include "app/typed_words.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

// How many words the keys complete.
int completed(const std::string& keys) {
    TypedWords words;
    int n = 0;
    for (const char k : keys) n += words.press(k);
    return n;
}

TEST(TypedWords, WordsAndInterruptions) {
    EXPECT_EQ(completed("BMF"), 1);
    EXPECT_EQ(completed("EML"), 1);
    EXPECT_EQ(completed("BXMF"), 0);  // a wrong key resets the word
    EXPECT_EQ(completed("BEML"), 0);  // and does not start another
    EXPECT_EQ(completed("BMFEML"), 2);
    EXPECT_EQ(completed("XXBMF"), 1);
    EXPECT_EQ(completed("BMB"), 0);
    EXPECT_EQ(completed("BMBMF"), 0);  // "B" inside a word is a wrong key, not a fresh start
}

}  // namespace
}  // namespace tessaly
