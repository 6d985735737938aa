// key_echoes.cpp - recognising the browser view's copies of key presses.
#include "app/key_echoes.h"

namespace tessaly {

bool KeyEchoes::isEcho(const KeyPress& press) {
    for (std::optional<KeyPress>& seen : seen_) {
        if (seen && *seen == press) {
            seen.reset();
            return true;
        }
    }
    seen_[next_] = press;
    next_ = (next_ + 1) % seen_.size();
    return false;
}

}  // namespace tessaly
