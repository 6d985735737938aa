// from_line.cpp - the From-line test and the mailbox validity test.
#include <cstring>

#include "message/dates.h"
#include "platform/files.h"
#include "sources/mailbox.h"

namespace tessaly {

// The "From " lines mail programs write:
//   From alice@example.com Thu Sep  5 14:30:07 2002     (the usual form)
//   From bob Thu Sep  5 14:30:07 2002                   (a bare name)
//   From - Thu Sep  5 14:30:07 2002, From -             (Netscape, Mozilla)
//   From 1844347792267117879@xxx                        (Gmail Takeout)
//   From upi at papat.org  Wed Feb  1 19:06:04 2006     (Mailman archives)
//   From MAILER-DAEMON Thu Sep  5 14:30:07 2002, From   (bare)
// that is "From ", a sender (an address, a name, "-", or "x at y") and a
// date. The date may be left out after an address or "-", and a bare
// "From " stands alone; a bare name needs its date, so that ordinary prose
// ("From the desk of ...") never opens a message.
bool isFromLine(const char* begin, const char* end) {
    if (end - begin < 5 || std::memcmp(begin, "From ", 5) != 0) return false;
    const std::string_view line(begin + 5, static_cast<size_t>(end - begin - 5));
    auto skipBlanks = [&](size_t at) {
        while (at < line.size() && line[at] == ' ') ++at;
        return at;
    };
    auto wordEnd = [&](size_t at) {
        while (at < line.size() && line[at] != ' ') ++at;
        return at;
    };
    const size_t senderStart = skipBlanks(0);
    if (senderStart == line.size()) return true;
    size_t senderEnd = wordEnd(senderStart);
    const std::string_view firstWord = line.substr(senderStart, senderEnd - senderStart);
    if (firstWord.substr(0, 13) == "MAILER-DAEMON") return true;

    const bool address = firstWord.find_first_of("@!") != std::string_view::npos;
    bool dateOptional = address || firstWord == "-";
    // "local at domain": the address as list archives hide it.
    if (!address && line.substr(senderEnd, 4) == " at ") {
        const size_t domainStart = senderEnd + 4;
        const size_t domainEnd = wordEnd(domainStart);
        if (domainEnd > domainStart) {
            senderEnd = domainEnd;
            dateOptional = true;
        }
    }
    const size_t rest = skipBlanks(senderEnd);
    if (rest == line.size()) return dateOptional;
    const std::string_view date = line.substr(rest);
    // After an address any time of day will do, as mailers' dates vary.
    if (address) return date.find(':') != std::string_view::npos;
    return isFromLineDate(date);
}

// A UTF-8 byte-order mark some tools write before the first line.
const char* afterByteOrderMark(const char* begin, const char* end) {
    return end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0 ? begin + 3 : begin;
}

bool isMailboxFile(const std::string& path) {
    std::string head;
    uint64_t size = 0;
    if (!readFileStart(path, 5000, head, size)) return false;

    const char* end = head.data() + head.size();
    const char* p = afterByteOrderMark(head.data(), end);
    while (p < end && (*p == '\r' || *p == '\n' || *p == ' ')) ++p;
    if (p == end) return false;
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
    if (lineEnd == end) return false;
    return isFromLine(p, lineEnd);
}

}  // namespace tessaly
