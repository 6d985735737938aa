// typed_words.h - the hidden shortcut: holding Ctrl and typing B, M, F or
// E, M, L opens the EML-to-mailbox page, which no page links to.
#pragma once

namespace tessaly {

class TypedWords {
public:
    // One key pressed while Ctrl is held, as its upper-case letter (any
    // other key as some other number). True when it completes a word.
    bool press(int key);

private:
    int wordIndex_ = 0;
    int wordPosition_ = 0;
};

}  // namespace tessaly
