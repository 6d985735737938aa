// temporary_pool.cpp - the thread that makes staged files ahead.
#include "platform/temporary_pool.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "platform/files.h"

namespace tessaly {

namespace {

// Files kept ready in each folder: more than a message takes, few enough
// that descriptors and leftovers stay trivial.
constexpr size_t kReadyPerFolder = 16;

}  // namespace

TemporaryPool::TemporaryPool(std::vector<std::string> folders) {
    for (std::string& folder : folders) folders_.push_back({std::move(folder), {}, false, false});
    worker_ = std::thread([this] { work(); });
}

TemporaryPool::~TemporaryPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
    for (Folder& folder : folders_) {
        for (const Ready& file : folder.ready) {
            ::close(file.fd);
            removeFile(file.path);
        }
    }
}

bool TemporaryPool::take(const std::string& folder, int& fd, std::string& temporaryPath) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Folder& known : folders_) {
        if (known.path != folder) continue;
        if (known.ready.empty()) {
            if (!known.wanted) {
                known.wanted = true;
                changed_.notify_all();
            }
            return false;
        }
        fd = known.ready.front().fd;
        temporaryPath = std::move(known.ready.front().path);
        known.ready.pop_front();
        changed_.notify_all();
        return true;
    }
    return false;
}

void TemporaryPool::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Folder* short_ = nullptr;
        changed_.wait(lock, [&] {
            if (stopping_) return true;
            for (Folder& folder : folders_) {
                if (folder.wanted && !folder.failed && folder.ready.size() < kReadyPerFolder) {
                    short_ = &folder;
                    return true;
                }
            }
            return false;
        });
        if (stopping_) return;
        const std::string folder = short_->path;
        lock.unlock();
        std::string path;
        const int fd = openNewTemporary(folder, path);
        lock.lock();
        if (fd < 0) {
            short_->failed = true;
        } else {
            short_->ready.push_back({fd, std::move(path)});
        }
    }
}

}  // namespace tessaly
