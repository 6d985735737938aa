// errors.h - the last system error of this thread and its text.
#pragma once

#include <string>

namespace tessaly {

// Platform calls that fail record errno here, as Windows keeps a last error,
// so that a later systemErrorText() still names the failure.
void setLastSystemError(int error);
int lastSystemError();

// The system's message text for the last recorded error, or for `error`.
std::string systemErrorText();
std::string systemErrorText(int error);

}  // namespace tessaly
