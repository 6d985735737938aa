// content_key.cpp - the whole-content key of a message.
#include "message/content_key.h"

#include <cstring>

#include "platform/ascii.h"

namespace tessaly {

namespace {

constexpr uint64_t kMultiplier = 0x9FB21C651E98DF25ull;

uint64_t fold(uint64_t a, uint64_t b) {
    const __uint128_t product = static_cast<__uint128_t>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}

// Fields that differ between copies of one message.
constexpr std::string_view kCopyFields[] = {
    "received",      "return-path",     "delivered-to",   "x-original-to", "status",
    "x-status",      "x-mozilla-status", "x-mozilla-status2", "x-mozilla-keys", "x-uid",
    "x-keywords",    "content-length",  "lines",          "x-imap",        "x-imapbase",
    "x-evolution",   "x-gmail-labels",  "x-gm-thrid",
};

bool isCopyField(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view name = line.substr(0, colon);
    for (const std::string_view field : kCopyFields) {
        if (equalsIgnoringCase(name, field)) return true;
    }
    return false;
}

// Feeds [p, end) without its carriage returns.
void feedWithoutCr(ContentHasher& hasher, const char* p, const char* end) {
    while (p < end) {
        const void* cr = std::memchr(p, '\r', static_cast<size_t>(end - p));
        const char* stop = cr ? static_cast<const char*>(cr) : end;
        hasher.feed(p, static_cast<size_t>(stop - p));
        p = stop == end ? end : stop + 1;
    }
}

}  // namespace

// One 64 x 64 -> 128 bit multiply per word, its halves folded: fast enough
// to run over every byte of every message.
void ContentHasher::mixWord(uint64_t word) { state_ = fold(state_ ^ word, kMultiplier); }

void ContentHasher::feed(const char* data, size_t length) {
    length_ += length;
    while (length > 0 && pendingBytes_ != 0) {
        pending_ |= static_cast<uint64_t>(static_cast<unsigned char>(*data++)) << (8 * pendingBytes_);
        --length;
        if (++pendingBytes_ == 8) {
            mixWord(pending_);
            pending_ = 0;
            pendingBytes_ = 0;
        }
    }
    // Little-endian machines read the words as the byte loops build them.
    while (length >= 8) {
        uint64_t word;
        std::memcpy(&word, data, 8);
        mixWord(word);
        data += 8;
        length -= 8;
    }
    for (size_t i = 0; i < length; ++i) {
        pending_ |= static_cast<uint64_t>(static_cast<unsigned char>(data[i])) << (8 * pendingBytes_++);
    }
}

void ContentHasher::endItem() {
    mixWord(pending_ ^ (uint64_t{pendingBytes_} << 56) ^ 0xA5);
    pending_ = 0;
    pendingBytes_ = 0;
}

uint64_t ContentHasher::value() const {
    return fold(fold(state_ ^ pending_, kMultiplier) ^ length_ ^ (uint64_t{pendingBytes_} << 56), kMultiplier);
}

uint64_t rawContentKey(const char* text, size_t length) {
    const char* end = text + length;
    while (end > text && (end[-1] == '\n' || end[-1] == '\r')) --end;
    ContentHasher hasher;
    // The header block, line by line, leaving out the copy fields and their
    // folded lines.
    const char* p = text;
    bool skipping = false;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char* lineEnd = lf ? static_cast<const char*>(lf) + 1 : end;
        const std::string_view line(p, static_cast<size_t>(lineEnd - p));
        if (line == "\n" || line == "\r\n") break;  // the blank line: the body follows
        const bool folded = line[0] == ' ' || line[0] == '\t';
        if (!folded) skipping = isCopyField(line);
        if (!skipping) feedWithoutCr(hasher, p, lineEnd);
        p = lineEnd;
    }
    hasher.endItem();
    feedWithoutCr(hasher, p, end);
    return hasher.value();
}

std::string contentKeyText(uint64_t key) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = "1:";
    for (int shift = 60; shift >= 0; shift -= 4) text += kDigits[(key >> shift) & 0xF];
    return text;
}

}  // namespace tessaly
