// dbx_file_info.h - the file-info object of a DBX file and its folder name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sources/dbx_bytes.h"

namespace tessaly {

// Only a file-info object of exactly this length carries a folder name.
inline constexpr uint32_t kDbxNamedFileInfoLength = 0x618;
// Where the name starts inside such an object.
inline constexpr uint32_t kDbxFileInfoNameAt = 0x105;

class DbxFileInfo {
public:
    // `offset` is kDbxFileInfoOffset and `length` the header's file-info
    // length. An object that does not lie wholly inside the view is kept as
    // absent (no pointer) and yields no name.
    DbxFileInfo(DbxView view, uint32_t offset, uint32_t length);

    // The NUL-terminated text at kDbxFileInfoNameAt when the length is
    // exactly kDbxNamedFileInfoLength; a name without its NUL ends with the
    // object.
    std::optional<std::string> storedFolderName() const;

    uint32_t offset() const { return offset_; }
    uint32_t length() const { return length_; }
    const char* pointer() const { return pointer_; }

private:
    uint32_t offset_ = 0;
    uint32_t length_ = 0;
    const char* pointer_ = nullptr;
};

}  // namespace tessaly
