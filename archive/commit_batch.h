// commit_batch.h - archived messages whose files are written and closed
// but not yet in place: they reach the disk together, with one sync of the
// file system for many messages instead of one per file, and only then get
// their final names.
//
// Until then their names count as taken (isNameTaken), so that duplicates
// and attachment names are judged as if the files were in place already.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "archive/catalogue.h"
#include "archive/catalogue_row.h"
#include "archive/staged_files.h"
#include "archive/job_run.h"

namespace tessaly {

class CommitBatch {
public:
    explicit CommitBatch(JobRun& run) : run_(run) {}
    // Puts the waiting messages in place.
    ~CommitBatch();
    CommitBatch(const CommitBatch&) = delete;
    CommitBatch& operator=(const CommitBatch&) = delete;

    // Takes the complete files (MessageFiles::complete) of the message being
    // archived, and its catalogue row. The waiting messages are put in place
    // first when there are many, when they hold many bytes or when the
    // oldest has waited a while.
    void stage(MessageFiles files, CatalogueRow row);

    // The archive's catalogue, which gets the rows of the messages as they
    // are put in place; none when `catalogue` is null. The root is that of
    // the paths the rows name.
    void setCatalogue(std::unique_ptr<Catalogue> catalogue);
    Catalogue* catalogue() { return catalogue_.get(); }
    // Gets the row (text included) of every message once it is in place
    // and catalogued: the search files are made from them.
    void setPlacedRowSink(std::function<void(const CatalogueRow&)> sink) { placedRowSink_ = std::move(sink); }
    std::unique_ptr<Catalogue> releaseCatalogue() { return std::move(catalogue_); }

    // Syncs and puts every waiting message in place. A message that cannot
    // be is reported as a create failure under its own description; on a
    // full disk the newest give their room to the older ones, and the run
    // stops with its one line instead. Call it before a folder's files are
    // looked at as a whole.
    void commit();

    // True when `path` exists or is the final name of a waiting file. A name
    // that equals a waiting one only when case is ignored first puts the
    // waiting messages in place, so that the disk can answer for a file
    // system that ignores case (a FAT stick, say).
    bool isNameTaken(const std::string& path);

private:
    struct Waiting {
        MessageFiles files;
        MessageRef message;
        CatalogueRow row;
    };

    // The rows of `messages` stored as pending; false (and the catalogue
    // dropped, for the next run to rebuild) when that fails.
    bool addPendingRows(std::vector<Waiting>& messages);
    void dropCatalogue();

    JobRun& run_;
    std::unique_ptr<Catalogue> catalogue_;
    std::function<void(const CatalogueRow&)> placedRowSink_;
    std::vector<Waiting> messages_;
    std::unordered_set<std::string> names_;
    std::unordered_set<std::string> foldedNames_;  // in lower case
    uint64_t bytes_ = 0;
    uint32_t firstTick_ = 0;
};

}  // namespace tessaly
