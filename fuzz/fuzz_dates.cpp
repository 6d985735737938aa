// fuzz_dates.cpp - date reading, the From-line tests and the date texts.
#include <string_view>
#include <vector>

#include "fuzz/targets.h"
#include "message/dates.h"
#include "sources/mailbox.h"

namespace tessaly::fuzz {

void fuzzDates(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    const std::string_view text(bytes.data(), bytes.size());
    SYSTEMTIME now{};
    now.wYear = 2024;
    now.wMonth = 6;
    now.wDay = 15;
    now.wHour = 12;
    FILETIME fileTime{};
    SYSTEMTIME sent{};
    if (parseDate(text, &fileTime, &sent, now)) {
        if (sent.wMonth < 1 || sent.wMonth > 12 || sent.wDay < 1 || sent.wDay > 31 ||
            sent.wHour > 23 || sent.wMinute > 59 || sent.wSecond > 59) {
            propertyFailed("parseDate accepted an impossible time");
        }
        (void)formatAsctimeDate(sent);
        (void)formatRfc822Date(&sent, nullptr, -1);
    }
    (void)isFromLineDate(text);
    (void)isFromLine(bytes.data(), bytes.data() + bytes.size());
}

}  // namespace tessaly::fuzz
