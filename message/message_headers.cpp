// message_headers.cpp - message-level values after the header scan: decoded
// and rendered address lists, subject, id, received date and message times.
#include <string>

#include "message/addresses.h"
#include "message/dates.h"
#include "message/decoding.h"
#include "message/headers.h"
#include "message/text.h"
#include "platform/time.h"

namespace tessaly {
namespace {

// A malformed date counts the message among those with problems.
void warnDate(ProblemReporter& problems, const std::string& text) {
    problems.messageProblem("Warning: <a href=\"help:err_date.html\">malformed date</a> \"" +
                            htmlEscape(text) + "\"");
}

// Now, the fall-back moment of a message without a usable date.
FILETIME now() {
    FILETIME moment;
    systemTimeToFileTime(getSystemTime(), moment);
    return moment;
}

// fileTime from the first Received date when there is one, else from Date;
// sentTime only ever from Date.
void readMessageDates(ProblemReporter& problems, TMessageInfo& info) {
    bool dated = false;
    if (info.hasReceived) {
        if (!info.date.empty()) {
            dated = parseDate(info.date, nullptr, &info.sentTime);
            if (!dated) warnDate(problems, info.date);
        }
        if (!dated) info.sentTime = SYSTEMTIME{};
        if (!parseDate(info.received, &info.fileTime, nullptr)) {
            warnDate(problems, info.received);
            info.fileTime = now();
        }
        return;
    }
    if (!info.date.empty()) {
        dated = parseDate(info.date, &info.fileTime, &info.sentTime);
        if (!dated) warnDate(problems, info.date);
    }
    if (!dated) {
        info.sentTime = SYSTEMTIME{};
        info.fileTime = now();
    }
}

}  // namespace

void finishMessageHeaders(ProblemReporter& problems, TMessageInfo& info) {
    int entries = 0;
    if (!info.cc.empty()) {
        info.cc = decodeWords(info.cc);
        entries += formatAddressList(info.cc, &info.ccHtml, &info.ccShortHtml, &info.ccName, nullptr);
    }
    if (!info.to.empty()) {
        info.to = decodeWords(info.to);
        entries += formatAddressList(info.to, &info.toHtml, &info.toShortHtml, &info.toName, nullptr);
    }
    // The file name says "and others" when there is more than one recipient.
    if (entries > 1) {
        if (!info.ccName.empty()) info.ccName += " +al";
        if (!info.toName.empty()) info.toName += " +al";
    }
    if (!info.from.empty()) {
        info.from = decodeWords(info.from);
        formatAddressList(info.from, &info.fromHtml, nullptr, &info.fromName, &info.fromAddress);
    }
    if (!info.subject.empty()) {
        info.subject = decodeWords(info.subject);
        info.subjectName = safeFileText(info.subject);
    }
    if (!info.messageId.empty()) info.messageId = stripEnclosing(info.messageId);

    // Received: ... ; <date> -- only the date after the last ";" is kept.
    if (!info.received.empty()) {
        const size_t semicolon = info.received.rfind(';');
        if (semicolon == std::string::npos)
            info.received.clear();
        else
            info.received = trimWhite(std::string_view(info.received).substr(semicolon + 1));
    }
    info.hasReceived = !info.received.empty();

    readMessageDates(problems, info);
}

}  // namespace tessaly
