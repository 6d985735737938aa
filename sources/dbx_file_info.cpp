// dbx_file_info.cpp - the file-info object of a DBX file and its folder name.
#include "sources/dbx_file_info.h"

#include <cstring>

namespace tessaly {

DbxFileInfo::DbxFileInfo(DbxView view, uint32_t offset, uint32_t length)
    : offset_(offset), length_(length) {
    if (view.data != nullptr && view.contains(offset, length)) pointer_ = view.data + offset;
}

std::optional<std::string> DbxFileInfo::storedFolderName() const {
    if (pointer_ == nullptr || length_ != kDbxNamedFileInfoLength) return std::nullopt;
    const char* name = pointer_ + kDbxFileInfoNameAt;
    const size_t room = length_ - kDbxFileInfoNameAt;
    const void* nul = std::memchr(name, '\0', room);
    return std::string(name, nul ? static_cast<const char*>(nul) - name : room);
}

}  // namespace tessaly
