// file_lock.cpp - flock on a lock file.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"

namespace tessaly {

FileLock::Result FileLock::take(const std::string& path) {
    release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        setLastSystemError(errno);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Result::Busy;
        // Some network and FUSE file systems keep no locks.
        if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS) return Result::Unsupported;
        setLastSystemError(error);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Taken;
}

void FileLock::release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

}  // namespace tessaly
