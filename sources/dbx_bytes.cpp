// dbx_bytes.cpp - bounds-checked little-endian field reads.
#include "sources/dbx_bytes.h"

#include "sources/dbx_exception.h"

namespace tessaly {

namespace {

// The bytes at [offset, offset + length), after the bounds check.
const unsigned char* fieldAt(DbxView view, uint64_t offset, uint64_t length) {
    if (view.data == nullptr || !view.contains(offset, length)) throw DbxException(kDbxReadOutside);
    return reinterpret_cast<const unsigned char*>(view.data) + offset;
}

}  // namespace

uint8_t le8(DbxView view, uint64_t offset) { return *fieldAt(view, offset, 1); }

uint16_t le16(DbxView view, uint64_t offset) {
    const unsigned char* p = fieldAt(view, offset, 2);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(DbxView view, uint64_t offset) {
    const unsigned char* p = fieldAt(view, offset, 4);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace tessaly
