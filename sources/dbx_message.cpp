// dbx_message.cpp - gathering a message's text from its chain of text blocks.
#include "sources/dbx_message.h"

#include <algorithm>
#include <new>

#include "sources/dbx_exception.h"

namespace tessaly {

namespace {

struct BlockHead {
    uint32_t marker = 0;
    uint32_t length = 0;
    uint32_t next = 0;
};

// Reads the 16-byte head at `offset`; the position is then at the text.
// Reads are checked before they are tried, so that a broken chain leaves the
// file good for the caller's next message.
BlockHead readHead(imemfile& file, uint32_t offset) {
    if (!file.good() || !file.view().contains(offset, kDbxBlockHeadSize)) {
        throw DbxException(kDbxErrorReading);
    }
    char raw[kDbxBlockHeadSize];
    file.seek(offset);
    file.read(raw, sizeof raw);
    if (!file.good()) throw DbxException(kDbxErrorReading);
    const DbxView bytes{raw, kDbxBlockHeadSize};
    return {le32(bytes, 0), le32(bytes, kDbxBlockLengthAt), le32(bytes, kDbxBlockNextAt)};
}

}  // namespace

DbxMessage::DbxMessage(imemfile& file, uint32_t start) : start_(start) {
    // First pass: check the chain and add up its text. Blocks lie side by
    // side in a sound file, so their heads and text never take more room
    // than the file has; a chain that does has overlapping blocks or runs in
    // a circle, and stopping there bounds both the walk and the buffer.
    uint64_t total = 0;
    uint64_t footprint = 0;
    uint64_t blocks = 0;
    bool passesEnd = false;  // a block's text runs past the end of the file
    for (uint32_t offset = start; offset != 0;) {
        const BlockHead head = readHead(file, offset);
        if (head.marker != offset) throw DbxException(kDbxWrongMarker);
        const uint64_t room = file.size() - file.position();
        if (head.length > room) passesEnd = true;
        footprint += kDbxBlockHeadSize + std::min<uint64_t>(head.length, room);
        if (footprint > file.size()) throw DbxException(kDbxBlocksOverlap);
        total += head.length;
        ++blocks;
        offset = head.next;
    }
    if (total == 0) throw DbxException(kDbxNoText);
    // Copying that block's text would fail.
    if (passesEnd) throw DbxException(kDbxErrorReading);

    try {
        text_.reset(new char[total + 1]);
    } catch (const std::bad_alloc&) {
        throw DbxException(kDbxErrorAllocating);
    }

    // Second pass: copy the text. The same chain is walked again; the bytes
    // are checked against the buffer rather than trusted from the first pass.
    uint64_t filled = 0;
    uint32_t offset = start;
    for (uint64_t block = 0; block < blocks && offset != 0; ++block) {
        const BlockHead head = readHead(file, offset);
        if (head.marker != offset || head.length > total - filled ||
            !file.view().contains(file.position(), head.length)) {
            throw DbxException(kDbxErrorReading);
        }
        file.read(text_.get() + filled, head.length);
        if (!file.good()) throw DbxException(kDbxErrorReading);
        filled += head.length;
        offset = head.next;
    }
    if (filled != total) throw DbxException(kDbxErrorReading);
    text_[total] = '\0';
    length_ = static_cast<uint32_t>(total);
}

}  // namespace tessaly
