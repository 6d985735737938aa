// dbx_message.h - the raw text of one message, gathered from its chain of
// text blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "sources/imemfile.h"

namespace tessaly {

// Text block layout: marker (its own offset, 4), 4 bytes not read, the
// number of text bytes (4), the offset of the next block (4, 0 = last), then
// the text bytes.
inline constexpr uint32_t kDbxBlockHeadSize = 0x10;
inline constexpr uint32_t kDbxBlockLengthAt = 0x08;
inline constexpr uint32_t kDbxBlockNextAt = 0x0C;

class DbxMessage {
public:
    // Reads the whole chain from `start` (a record's "message address").
    // Raises DbxException on a malformed chain.
    DbxMessage(imemfile& file, uint32_t start);

    // The text, NUL-terminated after length() bytes.
    const char* text() const { return text_.get(); }
    uint32_t length() const { return length_; }
    std::string_view view() const { return {text_.get(), length_}; }
    uint32_t start() const { return start_; }

private:
    uint32_t start_ = 0;
    uint32_t length_ = 0;
    std::unique_ptr<char[]> text_;
};

}  // namespace tessaly
