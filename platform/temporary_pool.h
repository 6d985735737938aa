// temporary_pool.h - empty staged files made ahead, on a thread of their
// own, in the folders a run is writing to.
//
// Making a file is most of what writing a small one costs (the file system
// looks for a free inode), and it needs nothing from the message being
// converted: with the files made beside the conversion, on the second core,
// the archiving thread only fills and closes them. A folder the pool cannot
// make files in is left to the caller, whose own attempt then meets (and
// reports) the error in its usual place, so problems come out as before.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly {

class TemporaryPool {
public:
    // Makes files in each of `folders` (paths ending in "/") once the first
    // is asked for there, so that a folder nothing is written to gets none.
    explicit TemporaryPool(std::vector<std::string> folders);
    // Stops and removes every file not taken.
    ~TemporaryPool();
    TemporaryPool(const TemporaryPool&) = delete;
    TemporaryPool& operator=(const TemporaryPool&) = delete;

    // A file made ahead in `folder` (ending in "/"): its open descriptor and
    // temporary path. False when none is ready; the caller makes its own.
    bool take(const std::string& folder, int& fd, std::string& temporaryPath);

private:
    struct Ready {
        int fd;
        std::string path;
    };
    struct Folder {
        std::string path;
        std::deque<Ready> ready;
        bool wanted = false;  // asked for once: kept full from then on
        bool failed = false;  // no more files here
    };

    void work();

    std::vector<Folder> folders_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace tessaly
