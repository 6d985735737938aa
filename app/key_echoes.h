// key_echoes.h - tells a key press from the copy of it that the browser
// view hands back to the main window when the page did not use the key, so
// that every press counts once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tessaly {

// What identifies one press: the copy carries the same values.
struct KeyPress {
    uint32_t time = 0;  // the event's own time stamp
    uint32_t keyval = 0;
    uint16_t keycode = 0;
    uint32_t state = 0;
    bool operator==(const KeyPress&) const = default;
};

class KeyEchoes {
public:
    // True when `press` repeats one seen before (each is taken as a copy
    // only once); otherwise it is remembered as a new press.
    bool isEcho(const KeyPress& press);

private:
    // The page answers each key within moments, so a few presses are
    // enough to remember while their copies may still come.
    std::array<std::optional<KeyPress>, 8> seen_;
    size_t next_ = 0;
};

}  // namespace tessaly
