// boundary_line.h - the marker of one MIME boundary line found by a source
// scanner, shared by the mailbox and DBX jobs.
#pragma once

#include <cstdint>

#include "message/marker.h"

namespace tessaly {

// The marker of the line [start, lf): `start` is its first "-", `lf` its
// line feed (a carriage return before it is not part of the line). It is
// closing when it ends in "--" with at least one byte between the pairs.
TMarker boundaryMarker(const char* start, const char* lf, uint32_t lineNumber);

}  // namespace tessaly
