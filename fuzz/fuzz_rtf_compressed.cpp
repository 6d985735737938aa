// fuzz_rtf_compressed.cpp - decompressing the compressed RTF of Outlook
// messages.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "mapi/rtf_compressed.h"

namespace tessaly::fuzz {

namespace {

uint32_t le32(const std::vector<char>& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

}  // namespace

void fuzzRtfCompressed(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    // A random CRC almost never matches: give compressed contents their own,
    // so that the decoder behind the check gets the input.
    if (size >= 16 && std::memcmp(bytes.data() + 8, "LZFu", 4) == 0) {
        const uint32_t compSize = le32(bytes, 0);
        if (compSize >= 12 && compSize - 12 <= size - 16) {
            const uint32_t crc = rtfCompressedCrc(std::string_view(bytes.data() + 16, compSize - 12));
            for (size_t i = 0; i < 4; ++i) bytes[12 + i] = static_cast<char>(crc >> (8 * i));
        }
    }
    std::string rtf;
    const bool ok = decompressRtf(std::string_view(bytes.data(), bytes.size()), rtf);
    if (!ok && !rtf.empty()) propertyFailed("a failed decompression gave output");
    // The header's raw size bounds the output.
    if (size >= 8 && rtf.size() > le32(bytes, 4)) propertyFailed("output beyond the announced size");
}

}  // namespace tessaly::fuzz
