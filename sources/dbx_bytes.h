// dbx_bytes.h - a DBX file's bytes and the bounds-checked field reads over them.
#pragma once

#include <cstdint>

namespace tessaly {

// The bytes of one DBX file: the mapped view or a test's buffer. Files of
// 4 GiB or more are never read, so every offset fits in 32 bits.
struct DbxView {
    const char* data = nullptr;
    uint32_t size = 0;

    // True when [offset, offset + length) lies inside the bytes.
    bool contains(uint64_t offset, uint64_t length) const {
        return offset <= size && length <= size - offset;
    }
};

// Little-endian unsigned fields. Each raises a DbxException when the field
// does not lie wholly inside the view.
uint8_t le8(DbxView view, uint64_t offset);
uint16_t le16(DbxView view, uint64_t offset);
uint32_t le32(DbxView view, uint64_t offset);

}  // namespace tessaly
