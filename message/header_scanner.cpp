// header_scanner.cpp - the state machine over the bytes of a header block.
#include "message/header_scanner.h"

namespace tessaly {
namespace {

// One byte is consumed per step. "ends" = the field read so far ends before
// the current byte, which is the first byte of the next field or blank line.
//
//  state                 CR          LF          ":"         blank       other
//  LineStart             LineCR      Done        Name        Name        Name
//  LineCR                Malformed   Done        Malformed   Malformed   Malformed
//  Name                  Name        Name        Colon       Name        Name
//  Colon, Value          ValueCR     ValueLF     Value       Value       Value
//  ValueCR               ends,LineCR ValueLF     ends,Start  Value       ends,Start
//  ValueLF               ends,LineCR ends,Done   ends,Start  Value       ends,Start
//
// Name ignores line ends: a line without a colon runs on into the next one
// and forms a longer name that matches nothing (in part headers such a line
// starts the body instead). After a field ends, the state is LineStart with
// its first byte already consumed.
enum class State { LineStart, LineCR, Name, Colon, Value, ValueCR, ValueLF, Malformed, Done };

// The end of the line at `p` when it holds blanks alone: after its line
// feed, or null when it holds anything else or has no line feed.
const char* afterBlankLine(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && *p == '\r') ++p;
    return p < end && *p == '\n' ? p + 1 : nullptr;
}

// A line of blanks alone after a field ends the block when what follows is
// neither a folded line nor a field: the writer meant an empty line, and the
// first body line would otherwise be read as a field.
const char* blankLineEndingBlock(const char* p, const char* end) {
    const char* next = afterBlankLine(p, end);
    if (!next || next == end) return nullptr;
    if (*next == ' ' || *next == '\t' || isHeaderFieldLine(next, end)) return nullptr;
    return next;
}

}  // namespace

bool isHeaderFieldLine(const char* p, const char* end) {
    const char* q = p;
    while (q < end && q - p < 80 && *q > ' ' && *q < 127 && *q != ':') ++q;
    return q > p && q < end && *q == ':';
}

HeaderBlock scanHeaderBlock(const char* text, const char* end, const HeaderFieldSink& sink, bool partHeaders) {
    HeaderBlock block;
    block.bodyStart = text;
    if (!text || !end || end <= text) return block;

    State state = State::LineStart;
    const char* fieldStart = text;
    const char* colon = nullptr;

    // Emits the field [fieldStart, stop).
    auto emit = [&](const char* stop) {
        const char* valueStart = colon + 1;
        const char* valueEnd = stop;
        if (valueEnd > valueStart && valueEnd[-1] == '\n') --valueEnd;
        if (valueEnd > valueStart && valueEnd[-1] == '\r') --valueEnd;
        while (valueStart < valueEnd && *valueStart == ' ') ++valueStart;
        if (valueStart > valueEnd) valueStart = valueEnd;
        sink(std::string_view(fieldStart, static_cast<size_t>(colon - fieldStart)),
             std::string_view(valueStart, static_cast<size_t>(valueEnd - valueStart)));
    };

    const char* p = text;
    while (p < end) {
        const char c = *p;
        const bool blank = c == ' ' || c == '\t';
        switch (state) {
            case State::LineStart:
                state = c == '\r' ? State::LineCR : c == '\n' ? State::Done : State::Name;
                break;
            case State::LineCR:
                state = c == '\n' ? State::Done : State::Malformed;
                break;
            case State::Name:
                if (c == ':') {
                    colon = p;
                    state = State::Colon;
                } else if (partHeaders && (c == '\n' || c == '\r')) {
                    block.bodyStart = fieldStart;
                    return block;
                }
                break;
            case State::Colon:
            case State::Value:
                state = c == '\r' ? State::ValueCR : c == '\n' ? State::ValueLF : State::Value;
                break;
            case State::ValueCR:
            case State::ValueLF:
                if (blank) {
                    if (const char* body = blankLineEndingBlock(p, end)) {
                        emit(p);
                        block.bodyStart = body;
                        return block;
                    }
                    state = State::Value;  // a folded continuation line
                } else if (c == '\n' && state == State::ValueCR) {
                    state = State::ValueLF;
                } else {
                    emit(p);
                    fieldStart = p;
                    // The current byte already belongs to the next line: a
                    // name's first byte, so that one-letter names still work.
                    state = c == '\r' ? State::LineCR : c == '\n' ? State::Done : State::Name;
                }
                break;
            case State::Malformed:
            case State::Done:
                break;
        }
        ++p;
        if (state == State::Malformed) {
            block.malformedAt = p;
            break;
        }
        if (state == State::Done) break;
    }
    block.bodyStart = p;

    // The text ended inside a field: a last header line without a line end
    // is common enough in the wild to keep.
    if (p == end && (state == State::Colon || state == State::Value || state == State::ValueCR ||
                     state == State::ValueLF))
        emit(end);
    return block;
}

}  // namespace tessaly
