// rtf_compressed.cpp - decompressing RTF as MAPI stores it.
//
// Layout: COMPSIZE, RAWSIZE, COMPTYPE and CRC (four little-endian 32-bit
// words), then the contents. COMPSIZE counts the contents plus the 12 header
// bytes after it. "LZFu" contents are runs of one control byte and eight
// tokens, read from the lowest control bit up: a clear bit is a literal byte,
// a set bit a big-endian 16-bit reference into a 4096-byte dictionary (the
// top 12 bits the offset, the low 4 bits the length less 2). A reference to
// the current write position ends the stream. The dictionary starts out
// holding a fixed RTF prefix. "MELA" contents are the RTF itself.
#include "mapi/rtf_compressed.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tessaly {

namespace {

constexpr uint32_t kCompressed = 0x75465A4C;    // "LZFu"
constexpr uint32_t kUncompressed = 0x414C454D;  // "MELA"
constexpr size_t kHeaderSize = 16;
constexpr size_t kDictionarySize = 4096;

constexpr char kInitialDictionary[] =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern "
    "\\fscript \\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0"
    "\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
constexpr size_t kInitialLength = sizeof kInitialDictionary - 1;
static_assert(kInitialLength == 207);

uint32_t le32(std::string_view bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void decodeRuns(std::string_view contents, size_t rawSize, std::string& out) {
    std::array<char, kDictionarySize> dictionary{};
    std::memcpy(dictionary.data(), kInitialDictionary, kInitialLength);
    size_t write = kInitialLength;
    // Each token gives at most 17 bytes, so the input bounds the output too.
    out.reserve(std::min(rawSize, contents.size() * 17 / 2 + 17));
    size_t in = 0;
    while (in < contents.size()) {
        const unsigned control = static_cast<unsigned char>(contents[in++]);
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (in >= contents.size()) return;
            if (!(control & (1u << bit))) {
                const char c = contents[in++];
                out += c;
                dictionary[write] = c;
                write = (write + 1) % kDictionarySize;
            } else {
                if (in + 2 > contents.size()) return;
                const unsigned reference = static_cast<unsigned char>(contents[in]) << 8 |
                                           static_cast<unsigned char>(contents[in + 1]);
                in += 2;
                const size_t offset = reference >> 4;
                const size_t length = (reference & 0xF) + 2;
                if (offset == write) return;  // the end marker
                for (size_t i = 0; i < length; ++i) {
                    const char c = dictionary[(offset + i) % kDictionarySize];
                    out += c;
                    dictionary[write] = c;
                    write = (write + 1) % kDictionarySize;
                }
            }
            if (out.size() >= rawSize) return;
        }
    }
}

}  // namespace

uint32_t rtfCompressedCrc(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = makeCrcTable();
    uint32_t crc = 0;
    for (const char c : bytes) crc = table[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
    return crc;
}

bool decompressRtf(std::string_view compressed, std::string& rtf) {
    rtf.clear();
    if (compressed.size() < kHeaderSize) return false;
    const uint32_t compSize = le32(compressed, 0);
    const uint32_t rawSize = le32(compressed, 4);
    const uint32_t type = le32(compressed, 8);
    const uint32_t crc = le32(compressed, 12);

    if (type == kUncompressed) {
        if (rawSize > compressed.size() - kHeaderSize) return false;
        rtf.assign(compressed.substr(kHeaderSize, rawSize));
        return true;
    }
    if (type != kCompressed) return false;
    if (compSize < kHeaderSize - 4 || compSize - (kHeaderSize - 4) > compressed.size() - kHeaderSize) {
        return false;
    }
    const std::string_view contents = compressed.substr(kHeaderSize, compSize - (kHeaderSize - 4));
    if (rtfCompressedCrc(contents) != crc) return false;
    decodeRuns(contents, rawSize, rtf);
    if (rtf.size() > rawSize) rtf.resize(rawSize);
    return true;
}

}  // namespace tessaly
