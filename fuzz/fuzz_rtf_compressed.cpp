// fuzz_rtf_compressed.cpp - decompressing the compressed RTF of Outlook
// messages.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "mapi/rtf_compressed.h"

namespace tessaly::fuzz {

void fuzzRtfCompressed(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    const std::string_view compressed(bytes.data(), bytes.size());
    std::string rtf;
    const bool ok = decompressRtf(compressed, rtf);
    if (!ok && !rtf.empty()) propertyFailed("a failed decompression gave output");
    // The header's raw size bounds the output.
    if (size >= 8) {
        const uint32_t announced = static_cast<uint32_t>(data[4]) | static_cast<uint32_t>(data[5]) << 8 |
                                   static_cast<uint32_t>(data[6]) << 16 | static_cast<uint32_t>(data[7]) << 24;
        if (rtf.size() > announced) propertyFailed("output beyond the announced size");
    }
}

}  // namespace tessaly::fuzz
