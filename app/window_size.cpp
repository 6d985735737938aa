// window_size.cpp - the main window's size in the settings key.
#include "app/window_size.h"

#include <algorithm>

#include "app/settings.h"
#include "platform/registry.h"

namespace tessaly {

namespace {

// Larger than any screen: a damaged value must not make a window the
// display cannot hold.
constexpr uint32_t kLargest = 16384;

int readSide(const char* name, int smallest) {
    uint32_t number = 0;
    if (!registryReadDword(RegistryHive::CurrentUser, kSettingsKey, name, number)) return smallest;
    return static_cast<int>(std::clamp<uint32_t>(number, static_cast<uint32_t>(smallest), kLargest));
}

}  // namespace

WindowSize loadWindowSize() {
    WindowSize size;
    size.width = readSide("windowwidth", kMinWindowWidth);
    size.height = readSide("windowheight", kMinWindowHeight);
    uint32_t maximized = 0;
    registryReadDword(RegistryHive::CurrentUser, kSettingsKey, "windowmaximized", maximized);
    size.maximized = maximized != 0;
    return size;
}

void saveWindowSize(const WindowSize& size) {
    auto side = [](int value, int smallest) { return static_cast<uint32_t>(std::max(value, smallest)); };
    registryWriteValues(RegistryHive::CurrentUser, kSettingsKey,
                        {{"windowwidth", makeDwordValue(side(size.width, kMinWindowWidth))},
                         {"windowheight", makeDwordValue(side(size.height, kMinWindowHeight))},
                         {"windowmaximized", makeDwordValue(size.maximized ? 1 : 0)}});
}

}  // namespace tessaly
