// search_feeder.h - a search update fed from the archiving thread and
// worked on by a thread of its own, so that cutting texts into terms runs
// beside the writing of the archive (on a second core) instead of after it.
// The rows are taken in the order given, so the files come out the same.
// A long run is written as several segments, so that memory stays flat.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "archive/catalogue_row.h"
#include "browse/search_index.h"

namespace tessaly {

class SearchFeeder {
public:
    SearchFeeder(std::string root, bool replaceAll);
    // Finishes nothing: a feeder dropped without finish writes no files.
    ~SearchFeeder();
    SearchFeeder(const SearchFeeder&) = delete;
    SearchFeeder& operator=(const SearchFeeder&) = delete;

    // Queues a copy of the row; waits while many rows are queued, so that
    // memory stays bounded however fast the archive is written.
    void add(const CatalogueRow& row);
    // A row of a file from an earlier run (SearchUpdate::addEarlier).
    void addEarlier(const CatalogueRow& row);
    // Lets the thread write the files once every queued row is taken, so
    // that the caller can do other work meanwhile; no row may follow.
    void finishInBackground();
    // Waits for every queued row, then writes the files (SearchUpdate::finish)
    // unless finishInBackground had them written on the thread.
    // False when this or an earlier segment of the run could not be written.
    bool finish();

private:
    struct Queued {
        CatalogueRow row;
        bool earlier = false;
    };

    void queue(const CatalogueRow& row, bool earlier);
    void work();
    // A failed write of the search files, with its error, once.
    void noteOutcome(bool written);

    const std::string root_;
    std::unique_ptr<SearchUpdate> update_;
    size_t rowsInSegment_ = 0;
    bool failed_ = false;
    int error_ = 0;  // the system error of the first failure, on the thread
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;
    bool closing_ = false;
    bool finishOnThread_ = false;
    bool finished_ = false;  // the thread wrote the files of the last segment
    std::thread worker_;
};

}  // namespace tessaly
