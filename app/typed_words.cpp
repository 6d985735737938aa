// typed_words.cpp - the Ctrl-typed words "BMF" and "EML".
#include "app/typed_words.h"

namespace tessaly {

namespace {
const char* const kWords[] = {"BMF", "EML"};
}

bool TypedWords::press(int key) {
    if (wordPosition_ > 0) {
        const char* word = kWords[wordIndex_];
        if (key != word[wordPosition_]) {
            wordPosition_ = 0;  // a wrong key does not start a new word
            return false;
        }
        if (word[++wordPosition_] == '\0') {
            wordPosition_ = 0;
            return true;
        }
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        if (key == kWords[i][0]) {
            wordIndex_ = i;
            wordPosition_ = 1;
        }
    }
    return false;
}

}  // namespace tessaly
