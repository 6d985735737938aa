// out_of_memory.h - the problem lines of a message whose conversion ran out
// of memory. The run goes on with the next message either way.
#pragma once

#include "archive/job_run.h"

namespace tessaly {

// The message is archived as it came: its text as an EML file, or as a page
// that links the whole message (`asPage`).
void reportUnconverted(JobRun& run, bool asPage);
// Not even that could be done: nothing of it is in the archive, so the next
// run tries it again.
void reportNotArchived(JobRun& run);

}  // namespace tessaly
