// checksum.cpp - the cksum CRC over the non-blank bytes of a message body.
#include "archive/checksum.h"

#include <array>

namespace tessaly {

namespace {

// Polynomial 0x04C11DB7, most significant bit first.
constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        table[i] = crc;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = makeTable();

uint32_t feed(uint32_t crc, unsigned char byte) { return (crc << 8) ^ kTable[(crc >> 24) ^ byte]; }

}  // namespace

uint32_t messageChecksum(const char* begin, const char* end) {
    uint32_t crc = 0;
    uint64_t used = 0;
    for (const char* p = begin; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        crc = feed(crc, c);
        ++used;
    }
    for (; used != 0; used >>= 8) crc = feed(crc, static_cast<unsigned char>(used & 0xFF));
    return ~crc;
}

}  // namespace tessaly
