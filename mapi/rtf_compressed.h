// rtf_compressed.h - the compressed RTF of PR_RTF_COMPRESSED (the LZFu
// format and its uncompressed "MELA" form), decompressed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// The CRC of the format: CRC-32 with the reflected polynomial 0xEDB88320,
// starting from 0, without a final complement.
uint32_t rtfCompressedCrc(std::string_view bytes);

// The RTF held in a PR_RTF_COMPRESSED value. False (with `rtf` empty) when
// the value is not compressed RTF or is damaged: a header that is short or
// names an unknown type, a size beyond the data, a CRC that does not match.
// A compressed stream that ends without its end marker yields what it
// decoded. The output never grows beyond the size the header announces.
bool decompressRtf(std::string_view compressed, std::string& rtf);

}  // namespace tessaly
