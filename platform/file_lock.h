// file_lock.h - an exclusive lock on a file, held while the object lives:
// one run at a time into an archive. The system drops the lock of a
// process that ends, however it ends, so a lock file left behind never
// blocks a later run.
#pragma once

#include <string>

namespace tessaly {

class FileLock {
public:
    enum class Result {
        Taken,  // this process holds it now
        Busy,   // another process holds it
        Unsupported,  // the file system keeps no locks
        Failed, // the file cannot be made or opened (error recorded)
    };

    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the file at `path` when it is missing (never through a
    // symbolic link) and takes its lock without waiting.
    Result take(const std::string& path);
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace tessaly
