// out_of_memory.h - a message step that may run out of memory, and the
// problem lines when it did. The run goes on with the next message either
// way.
#pragma once

#include <new>
#include <stdexcept>

#include "archive/job_run.h"
#include "message/decoding.h"

namespace tessaly {

// Runs `step`; false when an allocation in it failed (std::bad_alloc, or a
// string grown past its limit). The files it staged went with it; its
// scratch space is then given back, so that the rest of the run has the
// memory again.
template <typename Step>
bool withinMemory(DecodeContext& decoder, Step&& step) {
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    decoder.endDecoding();
    decoder.releaseBuffers();
    return false;
}

// The message is archived as it came: its text as an EML file, or as a page
// that links the whole message (`asPage`).
void reportUnconverted(JobRun& run, bool asPage);
// Not even that could be done: nothing of it is in the archive, so the next
// run tries it again.
void reportNotArchived(JobRun& run);

}  // namespace tessaly
