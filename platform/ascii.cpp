// ascii.cpp - locale-independent ASCII case folding.
#include "platform/ascii.h"

namespace tessaly {

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

}  // namespace tessaly
