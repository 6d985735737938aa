// message_headers.cpp - message-level values after the header scan: decoded
// and rendered address lists, subject, id, received date and message times.
#include <string>

#include "message/addresses.h"
#include "message/dates.h"
#include "message/decoding.h"
#include "message/header_text.h"
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

// An address header made UTF-8 for the page (`value` becomes that text, its
// markup and first name for the title come with it) and in the form names
// are made of; returns the number of entries. The list is read once when
// both forms are the same, as they are for most mail.
int readAddresses(Charsets& charsets, std::string& value, std::string_view fallback, std::string& html,
                  std::string* shortHtml, std::string& title, std::string& name, std::string* address) {
    const std::string raw = std::move(value);
    value = headerText(charsets, raw, fallback);
    const std::string nameText = headerNameText(charsets, raw, fallback);
    if (nameText == value) {
        const int entries = formatAddressList(value, &html, shortHtml, &name, address);
        title = name;
        return entries;
    }
    formatAddressList(value, &html, shortHtml, &title, address);
    return formatAddressList(nameText, nullptr, nullptr, &name, nullptr);
}

}  // namespace

void finishMessageHeaders(ProblemReporter& problems, Charsets& charsets, TMessageInfo& info,
                          std::string_view fallback) {
    // Two forms of each value: UTF-8 text for people (the page's rows), and
    // the form archive names have always been made of (headerNameText).
    int entries = 0;
    if (!info.cc.empty()) {
        std::string title;
        entries += readAddresses(charsets, info.cc, fallback, info.ccHtml, &info.ccShortHtml, title, info.ccName,
                                 nullptr);
    }
    if (!info.to.empty()) {
        entries += readAddresses(charsets, info.to, fallback, info.toHtml, &info.toShortHtml, info.toTitle,
                                 info.toName, nullptr);
    }
    // The file name says "and others" when there is more than one recipient.
    if (entries > 1) {
        if (!info.ccName.empty()) info.ccName += " +al";
        if (!info.toName.empty()) info.toName += " +al";
        if (!info.toTitle.empty()) info.toTitle += " +al";
    }
    if (!info.from.empty()) {
        readAddresses(charsets, info.from, fallback, info.fromHtml, nullptr, info.fromTitle, info.fromName,
                      &info.fromAddress);
    }
    if (!info.subject.empty()) {
        const std::string raw = std::move(info.subject);
        info.subject = headerText(charsets, raw, fallback);
        info.subjectName = safeFileText(headerNameText(charsets, raw, fallback));
    }
    info.date = plainHeaderText(charsets, info.date, fallback);
    info.received = plainHeaderText(charsets, info.received, fallback);
    info.messageId = plainHeaderText(charsets, info.messageId, fallback);
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
