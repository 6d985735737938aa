// boundary_lines.h - the MIME boundary lines of a message text, as the
// sources hand them to the part tree builder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "message/marker.h"

namespace tessaly {

// The marker of the line [start, lf): `start` is its first "-", `lf` its
// line feed (a carriage return and blanks before it are not part of the
// line). It is closing when it ends in "--" with at least one byte between
// the pairs.
TMarker boundaryMarker(const char* start, const char* lf, uint32_t lineNumber);

// Appends the boundary lines of one message text (a .dbx message, an .eml
// file): a line beginning "--" after any line end, never the first line.
// `chunk` (may be empty) is called with the bytes scanned at the end of each
// chunk of a hundredth of the text, at least 50 KiB.
void scanBoundaryLines(const char* begin, const char* end, std::vector<TMarker>& markers,
                       const std::function<void(size_t scanned)>& chunk);

// The scanners' chunk of a text of `length` bytes.
size_t scanChunkSize(size_t length);

}  // namespace tessaly
