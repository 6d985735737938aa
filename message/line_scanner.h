// line_scanner.h - the byte-by-byte state machine the mail sources scan
// their text with: it finds MIME boundary lines and, in mailboxes, the
// "From " lines that open messages.
//
// A boundary line starts a line with "--" followed by a byte that is not a
// blank or a line end. "From " lines are reported at the start of any line,
// saying whether an empty line (or the start of the text) came before: the
// caller decides which ones open a message. After a "From " line that
// follows an empty line, and after a line of just "--", the next line is not
// looked at: it is taken to be the inside of a line, as the sources have
// always read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessaly {

class LineScanner {
public:
    enum class Found { Nothing, FromLine, BoundaryLine };

    // `atStart`: the first byte starts a line that may be a "From " line (a
    // mailbox); otherwise the first line is never looked at (a message text).
    // `fromLines`: whether "From " lines are looked for at all.
    LineScanner(bool atStart, bool fromLines)
        : state_(atStart ? State::AfterEmptyLine : State::InLine), fromLines_(fromLines) {}

    // Reads the byte at `p`. At the line feed that ends a "From " or boundary
    // line, says which it was; mark() is then the line's first byte. Inlined
    // into the scanning loops: it runs once for every byte of a mailbox.
    [[gnu::always_inline]] Found feed(const char* p) {
        const char c = *p;
        switch (state_) {
            case State::InLine: state_ = c == '\n' ? State::LineStart : State::InLine; break;
            case State::LineStart:
            case State::AfterEmptyLine:
                if (c == '\n') {
                    state_ = State::AfterEmptyLine;
                } else if (c == '\r') {
                    state_ = State::CarriageReturn;
                } else if (c == '-') {
                    mark_ = p;
                    state_ = State::Dash;
                } else if (c == 'F' && fromLines_) {
                    mark_ = p;
                    fromAfterEmptyLine_ = state_ == State::AfterEmptyLine;
                    state_ = State::F;
                } else {
                    state_ = State::InLine;
                }
                break;
            case State::CarriageReturn: state_ = c == '\n' ? State::AfterEmptyLine : State::InLine; break;
            case State::F: state_ = c == 'r' ? State::Fr : notFrom(c); break;
            case State::Fr: state_ = c == 'o' ? State::Fro : notFrom(c); break;
            case State::Fro: state_ = c == 'm' ? State::From : notFrom(c); break;
            case State::From: state_ = c == ' ' ? State::FromRest : notFrom(c); break;
            case State::FromRest:
                if (c == '\n') {
                    state_ = afterFromLine();
                    return Found::FromLine;
                }
                if (c == '\r') state_ = State::FromCarriageReturn;
                break;
            case State::FromCarriageReturn:
                if (c == '\n') {
                    state_ = afterFromLine();
                    return Found::FromLine;
                }
                state_ = State::InLine;
                break;
            case State::Dash: state_ = c == '-' ? State::DashDash : State::InLine; break;
            case State::DashDash:
                state_ = c == '\r' || c == '\n' || c == ' ' ? State::InLine : State::BoundaryRest;
                break;
            case State::BoundaryRest:
                if (c == '\n') {
                    state_ = State::LineStart;
                    return Found::BoundaryLine;
                }
                if (c == '\r') state_ = State::BoundaryCarriageReturn;
                break;
            case State::BoundaryCarriageReturn:
                if (c == '\n') {
                    state_ = State::LineStart;
                    return Found::BoundaryLine;
                }
                state_ = State::InLine;
                break;
        }
        return Found::Nothing;
    }

    // Inside a line nothing matters until its line feed: the last byte
    // before the next line feed in [p, limit), or before `limit`, where
    // scanning may go on without missing anything. `p` itself otherwise.
    const char* skipInLine(const char* p, const char* limit) const {
        if (state_ != State::InLine) return p;
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(limit - p));
        const char* stop = lf ? static_cast<const char*>(lf) : limit;
        return stop - p > 1 ? stop - 1 : p;
    }

    const char* mark() const { return mark_; }
    // Whether the "From " line just reported followed an empty line (or
    // opened the text).
    bool fromAfterEmptyLine() const { return fromAfterEmptyLine_; }

private:
    enum class State : uint8_t {
        InLine,
        LineStart,
        AfterEmptyLine,  // or at the start of the text
        CarriageReturn,  // a CR at the start of a line
        F,
        Fr,
        Fro,
        From,
        FromRest,  // "From " read
        FromCarriageReturn,
        Dash,
        DashDash,
        BoundaryRest,
        BoundaryCarriageReturn,
    };

    // A line that began like "From " and turned out not to be one: at its
    // line feed the next line is looked at, unless the line followed an
    // empty line (the old reading, kept).
    State notFrom(char c) const {
        return c == '\n' && !fromAfterEmptyLine_ ? State::LineStart : State::InLine;
    }
    State afterFromLine() const { return fromAfterEmptyLine_ ? State::InLine : State::LineStart; }

    State state_;
    bool fromLines_;
    bool fromAfterEmptyLine_ = false;
    const char* mark_ = nullptr;
};

}  // namespace tessaly
