// dbx_header.h - the fields of a DBX file header that the program reads.
#pragma once

#include <cstdint>

#include "sources/dbx_bytes.h"

namespace tessaly {

// The file type of the folder-tree file ("Folders.dbx"); any other type is a
// mail folder file.
inline constexpr uint32_t kDbxFolderTreeType = 0x6F74FDC6;
// Where the file-info object starts; the header fills the bytes before it.
inline constexpr uint32_t kDbxFileInfoOffset = 0x24BC;

// Header offsets.
inline constexpr uint32_t kDbxFileTypeAt = 0x04;
inline constexpr uint32_t kDbxFileInfoLengthAt = 0x1C;
inline constexpr uint32_t kDbxMessageCountAt = 0xC4;
inline constexpr uint32_t kDbxFolderCountAt = 0xCC;
inline constexpr uint32_t kDbxMessageRootAt = 0xE4;
inline constexpr uint32_t kDbxFolderRootAt = 0xEC;

struct DbxHeader {
    uint32_t fileType = 0;
    uint32_t fileInfoLength = 0;  // of the object at kDbxFileInfoOffset
    uint32_t messageCount = 0;    // values in the message tree
    uint32_t folderCount = 0;     // values in the folder tree
    uint32_t messageRoot = 0;     // root node of the message tree, 0 = none
    uint32_t folderRoot = 0;      // root node of the folder tree, 0 = none
};

// A field that lies past the end of a short file reads as 0, so that such a
// file has no trees rather than a header read out of bounds.
DbxHeader readDbxHeader(DbxView view);

}  // namespace tessaly
