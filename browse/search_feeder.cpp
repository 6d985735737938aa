// search_feeder.cpp - the search update's own thread.
#include "browse/search_feeder.h"

#include <utility>

#include "platform/errors.h"

namespace tessaly {

namespace {

// Rows waiting at most: a few megabytes of text.
constexpr size_t kMaxQueued = 512;
// Rows of one segment at most: its terms are held in memory until written.
constexpr size_t kRowsPerSegment = 2500;

}  // namespace

SearchFeeder::SearchFeeder(std::string root, bool replaceAll)
    : root_(std::move(root)), update_(std::make_unique<SearchUpdate>(root_, replaceAll)), worker_([this] { work(); }) {}

SearchFeeder::~SearchFeeder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void SearchFeeder::add(const CatalogueRow& row) { queue(row, false); }

void SearchFeeder::addEarlier(const CatalogueRow& row) { queue(row, true); }

void SearchFeeder::queue(const CatalogueRow& row, bool earlier) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxQueued || closing_; });
    if (closing_) return;
    queue_.push_back({row, earlier});
    lock.unlock();
    changed_.notify_all();
}

void SearchFeeder::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
        if (queue_.empty()) {  // closing, and nothing left
            if (finishOnThread_) {
                lock.unlock();
                noteOutcome(update_->finish());
                finished_ = true;
            }
            return;
        }
        Queued next = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        changed_.notify_all();
        if (next.earlier) {
            update_->addEarlier(next.row);
        } else {
            update_->add(next.row);
        }
        if (++rowsInSegment_ >= kRowsPerSegment) {
            noteOutcome(update_->finish());
            update_ = std::make_unique<SearchUpdate>(root_, false, update_->freshSegments());
            rowsInSegment_ = 0;
        }
        lock.lock();
    }
}

void SearchFeeder::finishInBackground() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        finishOnThread_ = true;
    }
    changed_.notify_all();
}

bool SearchFeeder::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (!finished_) noteOutcome(update_->finish());
    // The caller reads why from its own thread.
    if (failed_) setLastSystemError(error_);
    return !failed_;
}

void SearchFeeder::noteOutcome(bool written) {
    if (written || failed_) return;
    failed_ = true;
    error_ = lastSystemError();
}

}  // namespace tessaly
