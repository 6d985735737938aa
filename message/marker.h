// marker.h - one MIME boundary line found by a job while scanning a message.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

struct TMarker {
    // The line's first "-" in the scanned text.
    const char* position = nullptr;
    // Line feeds in the whole file before this line (its 0-based number).
    uint32_t lineNumber = 0;
    // A closing delimiter ("--boundary--").
    bool closing = false;
    // The line without its leading "--", a closing line's trailing "--" and
    // the carriage return.
    std::string boundary;
};

}  // namespace tessaly
