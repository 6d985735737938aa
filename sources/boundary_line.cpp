// boundary_line.cpp - the marker of one MIME boundary line.
#include "sources/boundary_line.h"

namespace tessaly {

TMarker boundaryMarker(const char* start, const char* lf, uint32_t lineNumber) {
    const char* lineEnd = lf > start && lf[-1] == '\r' ? lf - 1 : lf;
    TMarker marker;
    marker.position = start;
    marker.lineNumber = lineNumber;
    marker.closing = lineEnd - start >= 5 && lineEnd[-1] == '-' && lineEnd[-2] == '-';
    marker.boundary.assign(start + 2, marker.closing ? lineEnd - 2 : lineEnd);
    return marker;
}

}  // namespace tessaly
