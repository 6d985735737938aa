// imemfile.cpp - a DBX file mapped read-only, read like a stream by position.
#include "sources/imemfile.h"

#include <cstring>

namespace tessaly {

imemfile::imemfile(const std::string& path) {
    if (mapping_.open(path) != MappedFile::Status::Ok) return;
    data_ = mapping_.data();
    size_ = static_cast<uint32_t>(mapping_.size());
    good_ = true;
}

imemfile::imemfile(const char* data, size_t size) {
    if (data == nullptr || size == 0 || size > UINT32_MAX) return;
    data_ = data;
    size_ = static_cast<uint32_t>(size);
    good_ = true;
}

bool imemfile::seek(uint64_t offset) {
    if (!good_) return false;
    if (offset > size_) {
        good_ = false;
        return false;
    }
    position_ = static_cast<uint32_t>(offset);
    return true;
}

bool imemfile::read(void* buffer, uint64_t n) {
    if (!good_) return false;
    if (n > size_ - position_) {
        good_ = false;
        return false;
    }
    if (n > 0) std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += static_cast<uint32_t>(n);
    return true;
}

}  // namespace tessaly
