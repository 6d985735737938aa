// whole_file_reader.h - reading files whole and telling whether they
// changed while they were read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace tessaly {

// Reads files whole, one after the other, into one buffer that is kept
// from file to file, and tells whether a file changed since it was listed
// or while it was read (a mail program writing beside us). Files from
// kMapFrom bytes on are mapped instead.
class WholeFileReader {
public:
    enum class Status {
        Ok,
        CannotOpen,  // error() tells why
        Shrank,      // shorter than listed, or it shrank while it was read
        Changed,     // longer than listed, or it grew or was written to while it was read
    };

    static constexpr uint64_t kMapFrom = uint64_t{32} << 20;

    // Reads the file at `path`, which was listed with `listedSize` bytes.
    // The text is valid until the next read.
    Status read(const std::string& path, uint64_t listedSize);
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    const char* end() const { return data_ + size_; }
    // The system error of CannotOpen.
    int error() const { return error_; }
    // True when a mapped file was cut short since it was read: its lost
    // bytes read as zeros.
    bool lost() const { return mapped_.data() && mapped_.truncatedWhileMapped(); }

private:
    Status readOpen(int fd, uint64_t size);

    std::string buffer_;
    MappedFile mapped_;
    const char* data_ = nullptr;
    size_t size_ = 0;
    int error_ = 0;
};

}  // namespace tessaly
