// archive_update.h - the catalogue around a run and what is made from it at
// the run's end: the browse pages of the folders that changed, the root
// index and the search files of the new messages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/catalogue.h"
#include "archive/job_run.h"
#include "browse/search_feeder.h"
#include "message/decoding.h"

namespace tessaly {

// The catalogue of a run and the search files it adds to.
struct RunCatalogue {
    std::unique_ptr<Catalogue> catalogue;  // null when the archive cannot hold one
    std::unique_ptr<SearchFeeder> search;  // takes every row of this run, text included
    // Rows up to this id were in the catalogue before the run; a later one
    // reached the search update while the run had its text.
    int64_t lastEarlierId = 0;
};

// The catalogue of the archive at `root` for a run: rows an interrupted
// run left settled, and made anew from the files when it is new, damaged
// or an earlier rebuild was cut short (on the run's progress bars), the
// search files then made anew too. `rebuild` makes it anew in any case.
RunCatalogue openRunCatalogue(JobRun& run, DecodeContext& decoder, const std::string& root, bool rebuild = false);

// After the run's messages are in place (the catalogue handed back by the
// writer): the search files get the rows not yet in them, the browse pages
// of every folder with new rows and the root index.html are written.
// Failures are warnings: these files are derived, the next run tries again.
void updateBrowseFiles(JobRun& run, DecodeContext& decoder, RunCatalogue& state);

}  // namespace tessaly
