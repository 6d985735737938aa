// dbx_header.cpp - the fields of a DBX file header that the program reads.
#include "sources/dbx_header.h"

namespace tessaly {

namespace {

uint32_t fieldOrZero(DbxView view, uint32_t offset) {
    return view.contains(offset, 4) ? le32(view, offset) : 0;
}

}  // namespace

DbxHeader readDbxHeader(DbxView view) {
    DbxHeader header;
    header.fileType = fieldOrZero(view, kDbxFileTypeAt);
    header.fileInfoLength = fieldOrZero(view, kDbxFileInfoLengthAt);
    header.messageCount = fieldOrZero(view, kDbxMessageCountAt);
    header.folderCount = fieldOrZero(view, kDbxFolderCountAt);
    header.messageRoot = fieldOrZero(view, kDbxMessageRootAt);
    header.folderRoot = fieldOrZero(view, kDbxFolderRootAt);
    return header;
}

}  // namespace tessaly
