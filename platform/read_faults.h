// read_faults.h - mapped files that another program shrank while they were
// mapped.
//
// A read of a page past the file's new end raises SIGBUS. Inside a guarded
// region the fault is answered by mapping zero-filled pages over the rest
// of the region; the read then goes on and yields zeros. Bytes past the new
// end within its last page read as zeros without a fault, so the file's
// size is checked as well. Output made from a shrunken file must not be
// kept (anyMappedFileShrunk tells).
#pragma once

#include <cstddef>

namespace tessaly {

// Guards [begin, begin + size), which must start on a page boundary (as a
// mapping does), the mapping of the open file `fd`; the caller keeps `fd`
// open while the region is guarded. Returns a handle, or -1 when too many
// regions are guarded at once; the region then stays unguarded.
int guardMappedRegion(const void* begin, size_t size, int fd);
// Ends the guard; call before unmapping the region.
void unguardMappedRegion(int handle);
// Whether the file of the region is now shorter than the region: a read
// faulted, or its size says so.
bool mappedFileShrunk(int handle);
// The same for every region still guarded.
bool anyMappedFileShrunk();

}  // namespace tessaly
