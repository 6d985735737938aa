// mailbox_headers.cpp - header fields the mailbox job reads itself.
#include "sources/mailbox_headers.h"

#include <cstring>

#include "platform/ascii.h"

namespace tessaly {

const char* textAfterFromLine(const char* start, const char* end) {
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
    return lf ? lf + 1 : end;
}

std::string_view headerBlockOf(const char* text, const char* end) {
    const std::string_view message(text, static_cast<size_t>(end - text));
    for (size_t lf = message.find('\n'); lf != std::string_view::npos; lf = message.find('\n', lf + 1)) {
        const size_t next = lf + 1;
        if (next < message.size() && message[next] == '\n') return message.substr(0, next);
        if (next + 1 < message.size() && message[next] == '\r' && message[next + 1] == '\n') return message.substr(0, next);
    }
    return message;
}

bool isExpungedMessage(std::string_view headers) {
    constexpr std::string_view kField = "X-Mozilla-Status:";
    for (size_t at = headers.find(kField); at != std::string_view::npos; at = headers.find(kField, at + 1)) {
        if (at != 0 && headers[at - 1] != '\n') continue;
        size_t p = at + kField.size();
        while (p < headers.size() && (headers[p] == ' ' || headers[p] == '\t')) ++p;
        unsigned flags = 0;
        size_t digits = 0;
        for (; p < headers.size() && digits < 8; ++p, ++digits) {
            const int value = hexDigitValue(headers[p]);
            if (value < 0) break;
            flags = flags * 16 + static_cast<unsigned>(value);
        }
        return digits > 0 && (flags & 0x0008) != 0;
    }
    return false;
}

}  // namespace tessaly
