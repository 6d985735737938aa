// window_size.h - the main window's size and state, kept in the settings
// key from one run of the program to the next.
#pragma once

#include <cstdint>

namespace tessaly {

// The smallest size the pages are laid out for, and the size of a first start.
inline constexpr int kMinWindowWidth = 400;
inline constexpr int kMinWindowHeight = 560;

struct WindowSize {
    int width = kMinWindowWidth;
    int height = kMinWindowHeight;
    bool maximized = false;
};

// The stored size, never below the smallest; the first start's size when
// none is stored.
WindowSize loadWindowSize();
// Writes only these values, in one rewrite of the hive: the user's other
// choices are saved by the runs, as always.
void saveWindowSize(const WindowSize& size);

}  // namespace tessaly
