// checksum.cpp - the cksum CRC over the non-blank bytes of a message body.
#include "archive/checksum.h"

#include <array>
#include <cstddef>

namespace tessaly {

namespace {

// Polynomial 0x04C11DB7, most significant bit first. Table k advances a
// byte through k further zero bytes, so that four bytes go in one step.
using Tables = std::array<std::array<uint32_t, 256>, 4>;

constexpr Tables makeTables() {
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        tables[0][i] = crc;
    }
    for (size_t k = 1; k < 4; ++k) {
        for (uint32_t i = 0; i < 256; ++i) {
            const uint32_t previous = tables[k - 1][i];
            tables[k][i] = (previous << 8) ^ tables[0][previous >> 24];
        }
    }
    return tables;
}

constexpr Tables kTables = makeTables();

uint32_t feed(uint32_t crc, unsigned char byte) { return (crc << 8) ^ kTables[0][(crc >> 24) ^ byte]; }

uint32_t feed(uint32_t crc, const unsigned char* bytes, size_t length) {
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        const uint32_t x = crc ^ (uint32_t{bytes[i]} << 24 | uint32_t{bytes[i + 1]} << 16 |
                                  uint32_t{bytes[i + 2]} << 8 | uint32_t{bytes[i + 3]});
        crc = kTables[3][x >> 24] ^ kTables[2][(x >> 16) & 0xff] ^ kTables[1][(x >> 8) & 0xff] ^
              kTables[0][x & 0xff];
    }
    for (; i < length; ++i) crc = feed(crc, bytes[i]);
    return crc;
}

// 0 for the blanks the checksum leaves out, 1 for every other byte.
constexpr std::array<uint8_t, 256> makeKept() {
    std::array<uint8_t, 256> kept{};
    for (int c = 0; c < 256; ++c) kept[c] = !(c == ' ' || c == '\n' || c == '\r' || c == '\t');
    return kept;
}

constexpr std::array<uint8_t, 256> kKept = makeKept();

}  // namespace

uint32_t messageChecksum(const char* begin, const char* end) {
    // The non-blank bytes are gathered a few thousand at a time and then
    // fed four at a time.
    constexpr size_t kGather = 4096;
    unsigned char gathered[kGather + 1];
    uint32_t crc = 0;
    uint64_t used = 0;
    const char* p = begin;
    while (p < end) {
        const char* stop = end - p > static_cast<ptrdiff_t>(kGather) ? p + kGather : end;
        size_t n = 0;
        for (; p < stop; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            gathered[n] = c;
            n += kKept[c];
        }
        crc = feed(crc, gathered, n);
        used += n;
    }
    for (; used != 0; used >>= 8) crc = feed(crc, static_cast<unsigned char>(used & 0xFF));
    return ~crc;
}

}  // namespace tessaly
