// decode_state.cpp - the decoders' shared state: scratch buffers, failure
// reason, decoding passes, progress reports and the speed-adapted limit.
#include <algorithm>
#include <cstring>
#include <limits>

#include "message/decode_core.h"
#include "message/decoding.h"
#include "platform/time.h"

namespace tessaly {

namespace {

// Room for n bytes and for later requests to grow into: twice n, but only an
// eighth more for a large one, where the room left over would be memory of
// its own size.
size_t roomFor(size_t n) {
    constexpr size_t kLarge = size_t{64} << 20;
    if (n > std::numeric_limits<size_t>::max() / 2) return n;  // more than there is: new throws
    if (n > kLarge) return n + n / 8 + 1;
    return std::max(2 * n, size_t{2048});
}

}  // namespace

char* ScratchBuffer::request(size_t n) {
    if (data_ && capacity_ > n) return data_.get();
    data_.reset();
    capacity_ = roomFor(n);
    data_.reset(new char[capacity_]);
    return data_.get();
}

char* ScratchBuffer::grow(size_t n, size_t keep) {
    if (data_ && capacity_ > n) return data_.get();
    keep = std::min(keep, capacity_);
    const size_t size = roomFor(n);
    std::unique_ptr<char[]> bigger(new char[size]);
    if (keep) std::memcpy(bigger.get(), data_.get(), keep);
    data_ = std::move(bigger);
    capacity_ = size;
    return data_.get();
}

bool ScratchBuffer::overlaps(const char* begin, const char* end) const {
    if (!data_ || !begin || end <= begin) return false;
    // Compare as integers: the pointers may belong to unrelated objects.
    auto lo = reinterpret_cast<uintptr_t>(data_.get());
    auto hi = lo + capacity_;
    return reinterpret_cast<uintptr_t>(begin) < hi && reinterpret_cast<uintptr_t>(end) > lo;
}

void ScratchBuffer::release() {
    data_.reset();
    capacity_ = 0;
}

void DecodeContext::beginDecoding(DecodeProgress callback, uint32_t nowTicks) {
    decodeError_.clear();
    stopped_ = false;
    callback_ = std::move(callback);
    passStartTicks_ = nowTicks;
    lastDecodeLength_ = 0;
}

// Short passes say nothing about the speed; long ones set the limit to the
// bytes per second, averaged with the previous measurement, so that reports
// come about every 50 ms (limit / 20 bytes) on this machine.
void DecodeContext::endDecoding(uint32_t nowTicks) {
    callback_ = nullptr;
    if (lastDecodeLength_ < decodeLimit_ / 4) return;
    uint32_t elapsed = nowTicks - passStartTicks_;  // the tick count wraps
    double perMs = elapsed ? double(lastDecodeLength_) / elapsed : 1.0;
    double speed = perMs * 1000;
    double limit = previousSpeed_ != 0 ? (previousSpeed_ + speed) / 2 : speed;
    setDecodeLimit(static_cast<uint32_t>(std::min(limit, double(UINT32_MAX))));
    previousSpeed_ = speed;
}

void DecodeContext::beginDecoding(DecodeProgress callback) { beginDecoding(std::move(callback), tickCount()); }

void DecodeContext::endDecoding() { endDecoding(tickCount()); }

void DecodeContext::setLastDecodeLength(size_t length) {
    lastDecodeLength_ = static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX));
}

size_t DecodeContext::progressInterval(size_t length) const {
    size_t limit = decodeLimit_;
    size_t interval = (length < limit && callback_) ? limit : std::max<size_t>(limit / 20, 1024);
    return std::min(interval, length);
}

void DecodeContext::releaseBuffers() {
    bufferA_.release();
    bufferB_.release();
}

ProgressMeter::ProgressMeter(const DecodeContext& context, size_t length)
    : callback_(context.callback()),
      length_(length),
      interval_(context.progressInterval(length)),
      mark_(callback_ && length ? interval_ : SIZE_MAX) {}

bool ProgressMeter::report(size_t position) {
    bool goOn = callback_(double(std::min(position, length_)) / double(length_));
    mark_ = position >= length_ ? SIZE_MAX : std::min(position + interval_, length_);
    return goOn;
}

void ProgressMeter::finish() {
    if (mark_ != SIZE_MAX) report(length_);
}

StableInput::StableInput(const ScratchBuffer& output, const char* start, const char* end) {
    if (!start || !end || end <= start) return;
    if (output.overlaps(start, end)) {
        copy_.assign(start, end);
        view_ = copy_;
    } else {
        view_ = std::string_view(start, size_t(end - start));
    }
}

}  // namespace tessaly
