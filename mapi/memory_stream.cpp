// memory_stream.cpp - streams over memory and reading streams whole.
#include "mapi/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

MapiResult MemoryStream::Read(char* buffer, uint32_t size, uint32_t& read) {
    const size_t count = std::min<size_t>(size, bytes_.size() - offset_);
    if (count) std::memcpy(buffer, bytes_.data() + offset_, count);
    offset_ += count;
    read = static_cast<uint32_t>(count);
    return SUCCESS_SUCCESS;
}

MapiResult readWholeStream(IStream& stream, std::string& out, uint32_t step) {
    step = std::max<uint32_t>(step, 1);
    for (;;) {
        const size_t had = out.size();
        out.resize(had + step);
        uint32_t read = 0;
        const MapiResult result = stream.Read(out.data() + had, step, read);
        out.resize(had + std::min(read, step));
        if (mapiFailed(result)) return result;
        if (read == 0) return SUCCESS_SUCCESS;
    }
}

}  // namespace tessaly
