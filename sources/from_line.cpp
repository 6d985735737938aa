// from_line.cpp - the From-line test and the mailbox validity test.
#include <cstring>

#include "message/dates.h"
#include "platform/files.h"
#include "sources/mailbox.h"

namespace tessaly {

bool isFromLine(const char* begin, const char* end) {
    if (end - begin < 5 || std::memcmp(begin, "From ", 5) != 0) return false;
    const char* p = begin + 5;
    const char* word = p;
    while (p < end && *p != ' ' && *p != '@' && *p != '!') ++p;

    if (p < end && (*p == '@' || *p == '!')) {
        // An address: the rest of the line must hold a time of day.
        while (p < end && *p != ' ') ++p;
        if (p == end) return false;
        while (p < end && *p == ' ') ++p;
        if (p == end) return false;
        return std::memchr(p, ':', static_cast<size_t>(end - p)) != nullptr;
    }
    if (end - word >= 13 && std::memcmp(word, "MAILER-DAEMON", 13) == 0) return true;

    while (p < end && *p == ' ') ++p;
    if (p == end) return false;
    return isFromLineDate(std::string_view(p, static_cast<size_t>(end - p)));
}

bool isMailboxFile(const std::string& path) {
    std::string head;
    uint64_t size = 0;
    if (!readFileStart(path, 5000, head, size) || size >= (uint64_t{1} << 32)) return false;

    const char* p = head.data();
    const char* end = p + head.size();
    while (p < end && (*p == '\r' || *p == '\n' || *p == ' ')) ++p;
    if (p == end) return false;
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
    if (lineEnd == end) return false;
    if (lineEnd - p < 10) return false;
    return isFromLine(p, lineEnd);
}

}  // namespace tessaly
