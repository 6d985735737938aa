// checksum.h - the message checksum behind the six-character key of every
// archived file name.
#pragma once

#include <cstdint>

namespace tessaly {

// The CRC of the POSIX cksum utility over [begin, end), skipping spaces,
// line feeds, carriage returns and tabs, so that line ends and wrapping do
// not change it; the count of bytes used is folded in as cksum does.
uint32_t messageChecksum(const char* begin, const char* end);

}  // namespace tessaly
