// memory_stream.h - a read-only stream over bytes held in memory, and
// reading a whole stream.
#pragma once

#include <string>
#include <utility>

#include "mapi/provider.h"

namespace tessaly {

class MemoryStream : public IStream {
public:
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}
    MapiResult Read(char* buffer, uint32_t size, uint32_t& read) override;

private:
    std::string bytes_;
    size_t offset_ = 0;
};

// Reads `stream` to its end in steps of `step` bytes, appending to `out`.
MapiResult readWholeStream(IStream& stream, std::string& out, uint32_t step = 4096);

}  // namespace tessaly
