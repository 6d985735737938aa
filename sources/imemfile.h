// imemfile.h - a DBX file mapped read-only, read like a stream by position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "sources/dbx_bytes.h"

namespace tessaly {

// A file that cannot be opened, is empty, or is 4 GiB or larger is not
// mapped and the object is not good. A failed seek or read turns it not good
// for the rest of its life. It never throws.
class imemfile {
public:
    explicit imemfile(const std::string& path);
    // Reads bytes that the caller keeps alive (tests, in-memory files).
    imemfile(const char* data, size_t size);
    imemfile(const imemfile&) = delete;
    imemfile& operator=(const imemfile&) = delete;

    // Offsets up to and including the file size are allowed.
    bool seek(uint64_t offset);
    // Copies n bytes from the current position and moves past them; when
    // they would pass the end of the file nothing is copied.
    bool read(void* buffer, uint64_t n);
    bool good() const { return good_; }

    uint32_t size() const { return size_; }
    // True when someone else shrank the file since it was mapped; the lost
    // bytes read as zeros.
    bool truncatedWhileMapped() const { return mapping_.truncatedWhileMapped(); }
    uint32_t position() const { return position_; }
    // The whole file, also once the object is not good (empty when the file
    // was never mapped).
    DbxView view() const { return {data_, size_}; }

private:
    MappedFile mapping_;
    const char* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
    bool good_ = false;
};

}  // namespace tessaly
