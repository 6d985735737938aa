// whole_file_reader.cpp - reading a file whole, and telling whether it
// changed since it was listed or while it was read.
#include "platform/whole_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"

namespace tessaly {

namespace {

bool sameTime(const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

WholeFileReader::Status WholeFileReader::read(const std::string& path, uint64_t listedSize) {
    mapped_.close();
    data_ = buffer_.data();
    size_ = 0;
    error_ = 0;
    if (path.find('\0') != std::string::npos) {
        error_ = ENOENT;
        return Status::CannotOpen;
    }
    // Not blocking: a FIFO named like a message must not hang the job.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error_ = errno;
        return Status::CannotOpen;
    }
    struct stat st{};
    if (fstat(fd, &st) != 0) {
        error_ = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (error_ != 0) {
        ::close(fd);
        return Status::CannotOpen;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    Status status = Status::Ok;
    if (size < kMapFrom) {
        status = readOpen(fd, size);
        ::close(fd);
    } else {
        // Too big to copy: mapped, and only its size can tell a change.
        ::close(fd);
        const MappedFile::Status mapped = mapped_.open(path, UINT64_MAX);
        if (mapped == MappedFile::Status::Ok) {
            data_ = mapped_.data();
            size_ = mapped_.size();
        } else if (mapped != MappedFile::Status::Empty) {
            error_ = lastSystemError();
            return Status::CannotOpen;
        }
        if (size_ != size) status = size_ < size ? Status::Shrank : Status::Changed;
    }
    if (status != Status::Ok) return status;
    if (size_ != listedSize) return size_ < listedSize ? Status::Shrank : Status::Changed;
    return Status::Ok;
}

WholeFileReader::Status WholeFileReader::readOpen(int fd, uint64_t size) {
    struct stat before{};
    if (fstat(fd, &before) != 0) {
        error_ = errno;
        return Status::CannotOpen;
    }
    buffer_.resize(static_cast<size_t>(size));
    data_ = buffer_.data();
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer_.data() + got, static_cast<size_t>(size) - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = errno;
            return Status::CannotOpen;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    size_ = got;
    struct stat after{};
    if (fstat(fd, &after) != 0) {
        error_ = errno;
        return Status::CannotOpen;
    }
    if (got < size || after.st_size < before.st_size) return Status::Shrank;
    if (after.st_size > before.st_size || !sameTime(before, after)) return Status::Changed;
    return Status::Ok;
}

}  // namespace tessaly
