// errors.cpp - the last system error of this thread and its text.
#include "platform/errors.h"

#include <cstring>

namespace tessaly {

namespace {
thread_local int lastError = 0;
}

void setLastSystemError(int error) { lastError = error; }

int lastSystemError() { return lastError; }

std::string systemErrorText() { return systemErrorText(lastError); }

std::string systemErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be `buffer`.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? text : "Unknown error";
}

}  // namespace tessaly
