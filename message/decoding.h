// decoding.h - transfer decodings of MIME bodies and header words: base64,
// quoted-printable, uuencode, BinHex 4.0, MacBinary, line-end normalisation
// and encoded words, with the shared scratch buffers and progress state.
//
// Range convention of the body decoders: `start` and `end` delimit the input
// on entry and the output on return. The output lies in scratch buffer A
// (MacBinary: inside the input) and stays valid until the next request on
// that buffer. On failure the decoder returns false, `start` is null and
// `decodeError()` holds the reason, which is empty when the failure has no
// fixed text (a stopped decoding, a BinHex header cut short). A success may
// carry a reason too: base64 cut short gives what it holds. The input is
// never modified and may itself lie in scratch buffer A.
//
// Everything runs on one thread; nothing is locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "message/charsets.h"

namespace tessaly {

// Takes the fraction of the input read (0 to 1); false asks the decoder to
// stop. The writers pass JobRun::stepProgress.
using DecodeProgress = std::function<bool(double fraction)>;

// A growable byte buffer reused from call to call.
class ScratchBuffer {
public:
    // Room for n bytes. Kept when it already holds at least n + 1 bytes,
    // otherwise replaced (contents lost) by max(2n, 2048) bytes, or only an
    // eighth more than n bytes above 64 MB.
    char* request(size_t n);
    // Like request, but the first `keep` bytes survive a replacement.
    char* grow(size_t n, size_t keep);
    char* data() const { return data_.get(); }
    size_t capacity() const { return capacity_; }
    // True when [begin, end) overlaps the storage.
    bool overlaps(const char* begin, const char* end) const;
    void release();

private:
    std::unique_ptr<char[]> data_;
    size_t capacity_ = 0;
};

// The decoders' state: the two scratch buffers, the reason of the last
// failure, the progress of the current decoding pass and the measured
// speed. The run record keeps one for the life of the program and hands it
// to every writer; the decoders take it as their first parameter.
class DecodeContext {
public:
    static constexpr uint32_t kDefaultDecodeLimit = 102400;

    ScratchBuffer& bufferA() { return bufferA_; }
    ScratchBuffer& bufferB() { return bufferB_; }

    // Empty, or one of "Premature EOF when decoding base64.",
    // "Unable to find start of binhex", "Invalid character in binhex".
    const std::string& decodeError() const { return decodeError_; }
    void setDecodeError(std::string_view reason) { decodeError_ = reason; }
    // True when the last decoder stopped because the callback said so.
    bool stopped() const { return stopped_; }
    void setStopped(bool stopped) { stopped_ = stopped; }

    // A decoding pass: clears the error, installs the callback (may be empty)
    // and remembers the start. endDecoding removes the callback and adapts
    // decodeLimit to the measured speed. Ticks are milliseconds.
    void beginDecoding(DecodeProgress callback, uint32_t nowTicks);
    void endDecoding(uint32_t nowTicks);
    // The same, at the tick count of now.
    void beginDecoding(DecodeProgress callback);
    void endDecoding();

    // The measured decoding speed in bytes per second (a setting; 0 is read
    // as the default). Progress comes about every decodeLimit / 20 bytes.
    uint32_t decodeLimit() const { return decodeLimit_; }
    void setDecodeLimit(uint32_t limit) { decodeLimit_ = limit ? limit : kDefaultDecodeLimit; }
    double previousSpeed() const { return previousSpeed_; }
    uint32_t lastDecodeLength() const { return lastDecodeLength_; }
    void setLastDecodeLength(size_t length);

    const DecodeProgress& callback() const { return callback_; }
    // Bytes of input between two reports for an input of `length` bytes.
    size_t progressInterval(size_t length) const;

    // Frees both scratch buffers.
    void releaseBuffers();

    // The charset converters of the run.
    Charsets& charsets() { return charsets_; }

private:
    Charsets charsets_;
    ScratchBuffer bufferA_;
    ScratchBuffer bufferB_;
    std::string decodeError_;
    bool stopped_ = false;
    DecodeProgress callback_;
    uint32_t passStartTicks_ = 0;
    uint32_t lastDecodeLength_ = 0;
    double previousSpeed_ = 0;
    uint32_t decodeLimit_ = kDefaultDecodeLimit;
};

// Reports progress while a decoder reads its input: each time the read
// position reaches the mark, the callback gets (position / length) and the
// mark moves on by the interval. Quiet without a callback.
class ProgressMeter {
public:
    ProgressMeter(const DecodeContext& context, size_t length);
    // False when the callback asked to stop.
    bool at(size_t position) { return position < mark_ || report(position); }
    // Reports the end if its mark was not passed yet; the answer is ignored
    // because the output is complete by then.
    void finish();

private:
    bool report(size_t position);

    DecodeProgress callback_;  // a copy: the callback may end the pass
    size_t length_;
    size_t interval_;
    size_t mark_;
};

// Base64 (RFC 2045 alphabet); bytes outside it are skipped. When the input
// ends inside a group after its second symbol, the bytes decoded are kept
// (with the last group's) and decodeError() says "Premature EOF when
// decoding base64.", though the decoding succeeds. Reports progress.
bool decodeBase64(DecodeContext& context, const char*& start, const char*& end);
// Quoted-printable; LF becomes CR LF, CR is dropped. Never fails.
bool decodeQuotedPrintable(DecodeContext& context, const char*& start, const char*& end);
// Uuencode from the line after "begin" up to a line "end". Never fails.
bool decodeUuencode(DecodeContext& context, const char*& start, const char*& end);
// BinHex 4.0: the header (headerOnly) or the data fork. Reports progress.
bool decodeBinhex(DecodeContext& context, const char*& start, const char*& end, bool headerOnly);
// The data fork of a MacBinary file, as a range inside the input; an empty
// range when the header is not valid. Never fails.
bool extractMacBinary(DecodeContext& context, const char*& start, const char*& end);
// Bare LF becomes CR LF; everything else is copied. Reports progress.
bool normaliseLineEnds(DecodeContext& context, const char*& start, const char*& end);

// Decodes the encoded words ("=?charset?B?...?=" or "?Q?") of one header
// value; the charset is ignored. Text without "=?" comes back unchanged.
// Uses neither the scratch buffers nor the pass state.
std::string decodeWords(std::string_view text);

}  // namespace tessaly
