// binhex.cpp - BinHex 4.0 decoding: the header, or the data fork.
#include <algorithm>
#include <array>
#include <cstring>

#include "message/decode_core.h"
#include "message/decoding.h"

namespace tessaly {

namespace {

constexpr char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
static_assert(sizeof(kAlphabet) == 65, "BinHex uses 64 symbols");

constexpr int8_t kInvalid = -1;

constexpr std::array<int8_t, 256> makeValues() {
    std::array<int8_t, 256> values{};
    for (auto& v : values) v = kInvalid;
    for (int i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = int8_t(i);
    return values;
}

constexpr std::array<int8_t, 256> kValues = makeValues();

constexpr uint8_t kRunMarker = 0x90;
// Byte 0 holds the name length n (at most 255); the fixed fields after the
// name bring the header to n + 22 bytes.
constexpr size_t kHeaderFixed = 22;
constexpr size_t kFirstPassRoom = 256;

constexpr int kEnd = -1;
constexpr int kBad = -2;

// Bytes from the six-bit symbols after the opening ":", most significant
// bits first. LF, CR and space are skipped; ":" or the end of the input
// ends the data; anything else outside the alphabet is invalid.
class SymbolReader {
public:
    SymbolReader(std::string_view in, size_t position) : in_(in), position_(position) {}

    int next() {
        while (bits_ < 8) {
            if (done_ || position_ >= in_.size()) {
                done_ = true;
                return kEnd;
            }
            unsigned char c = static_cast<unsigned char>(in_[position_++]);
            if (c == '\n' || c == '\r' || c == ' ') continue;
            if (c == ':') {
                done_ = true;
                return kEnd;
            }
            int value = kValues[c];
            if (value == kInvalid) return kBad;
            accumulator_ = ((accumulator_ << 6) | uint32_t(value)) & 0xffffff;
            bits_ += 6;
        }
        bits_ -= 8;
        return int((accumulator_ >> bits_) & 0xff);
    }

    size_t position() const { return position_; }

private:
    std::string_view in_;
    size_t position_;
    uint32_t accumulator_ = 0;
    int bits_ = 0;
    bool done_ = false;
};

// Run-length expansion: 0x90 followed by 0 is a literal 0x90; followed by
// n it repeats the byte before the marker n - 1 more times. Hands `store`
// (offset, byte, count) until the data ends or `room` bytes are produced;
// `store` may change the room. A marker with no byte before it, or at the
// very end, produces nothing.
template <class Store>
DecodeStatus expandRuns(SymbolReader& reader, uint64_t& room, Store&& store, ProgressMeter* meter,
                        bool& badSymbol) {
    uint64_t produced = 0;
    int previous = -1;
    badSymbol = false;
    while (produced < room) {
        int byte = reader.next();
        if (byte == kEnd) break;
        if (byte == kBad) {
            badSymbol = true;
            return DecodeStatus::Ok;
        }
        uint64_t count = 1;
        if (byte == kRunMarker) {
            int repeat = reader.next();
            if (repeat == kEnd) break;
            if (repeat == kBad) {
                badSymbol = true;
                return DecodeStatus::Ok;
            }
            if (repeat == 0) {
                count = 1;
            } else if (previous >= 0) {
                byte = previous;
                count = uint64_t(repeat) - 1;
            } else {
                count = 0;
            }
        }
        count = std::min(count, room - produced);
        if (count) {
            store(produced, static_cast<uint8_t>(byte), count);
            produced += count;
            previous = byte;
        }
        if (meter && !meter->at(reader.position())) return DecodeStatus::Stopped;
    }
    return DecodeStatus::Ok;
}

// After the opening ":" (a banner line in parentheses before it is
// skipped), or npos.
size_t findData(std::string_view in) {
    size_t at = in.find_first_of("(:");
    if (at == std::string_view::npos) return at;
    if (in[at] == '(') at = in.find(':', at);
    return at == std::string_view::npos ? at : at + 1;
}

uint64_t bigEndian32(const unsigned char* p) {
    return (uint64_t(p[0]) << 24) | (uint64_t(p[1]) << 16) | (uint64_t(p[2]) << 8) | p[3];
}

bool fail(DecodeContext& context, const char*& start, const char*& end, std::string_view reason) {
    if (!reason.empty()) context.setDecodeError(reason);
    start = nullptr;
    end = nullptr;
    return false;
}

}  // namespace

// Two passes over the same symbols. The first decodes at least 256 bytes
// and always the whole header (a long name makes it up to 277 bytes), to
// learn the name and fork lengths. The second decodes again with progress,
// keeping only the bytes up to the end of the data fork but reading on to
// the closing ":" (or the room the forks allow) so that a bad symbol
// anywhere fails as before. Output the input does not hold is never shown:
// a data fork cut short is returned as far as it was decoded, and a header
// cut short fails without a reason.
bool decodeBinhex(DecodeContext& context, const char*& start, const char*& end, bool headerOnly) {
    StableInput input(context.bufferA(), start, end);
    std::string_view in = input.view();
    context.setStopped(false);

    size_t data = findData(in);
    if (data == std::string_view::npos) return fail(context, start, end, kBinhexNoStart);

    std::array<unsigned char, 255 + kHeaderFixed> header{};
    size_t headerBytes = 0;
    uint64_t room = kFirstPassRoom;
    auto storeHeader = [&](uint64_t offset, uint8_t byte, uint64_t count) {
        if (offset == 0) room = std::max<uint64_t>(room, uint64_t(byte) + kHeaderFixed);
        for (uint64_t k = 0; k < count && offset + k < header.size(); ++k)
            header[offset + k] = byte;
        headerBytes = size_t(std::min<uint64_t>(offset + count, header.size()));
    };
    bool badSymbol = false;
    SymbolReader first(in, data);
    expandRuns(first, room, storeHeader, nullptr, badSymbol);
    if (badSymbol) return fail(context, start, end, kBinhexBadChar);

    size_t nameLength = header[0];
    size_t headerLength = nameLength + kHeaderFixed;
    if (headerBytes < headerLength) return fail(context, start, end, {});

    if (headerOnly) {
        char* output = context.bufferA().request(headerLength);
        std::memcpy(output, header.data(), headerLength);
        start = output;
        end = output + headerLength;
        return true;
    }

    uint64_t dataLength = bigEndian32(&header[nameLength + 12]);
    uint64_t resourceLength = bigEndian32(&header[nameLength + 16]);
    uint64_t wanted = headerLength + dataLength;
    room = 2 * (nameLength + dataLength + resourceLength) + 52;

    // Sized from the input; grows only as far as runs really expand.
    ScratchBuffer& buffer = context.bufferA();
    char* output = buffer.request(size_t(std::min<uint64_t>(wanted, in.size() + 1024)));
    size_t stored = 0;
    auto storeData = [&](uint64_t offset, uint8_t byte, uint64_t count) {
        if (offset >= wanted) return;
        size_t take = size_t(std::min(count, wanted - offset));
        if (stored + take >= buffer.capacity()) output = buffer.grow(stored + take, stored);
        std::memset(output + stored, byte, take);
        stored += take;
    };
    ProgressMeter meter(context, in.size());
    SymbolReader second(in, data);
    DecodeStatus status = expandRuns(second, room, storeData, &meter, badSymbol);
    context.setLastDecodeLength(in.size());
    if (status == DecodeStatus::Stopped) {
        context.setStopped(true);
        return fail(context, start, end, {});
    }
    if (badSymbol) return fail(context, start, end, kBinhexBadChar);
    meter.finish();

    size_t from = std::min(stored, headerLength);
    start = output + from;
    end = output + stored;
    return true;
}

}  // namespace tessaly
