// message.cpp - headers and bodies of one generated message.
#include "gen_corpus/message.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "gen_corpus/bodies.h"
#include "gen_corpus/dates.h"
#include "gen_corpus/encoding.h"
#include "gen_corpus/text.h"

namespace tessaly::bench {

namespace {

// Shares of the kinds per thousand messages, in enum order (duplicates are
// chosen by the corpus).
const unsigned kKindShares[] = {520, 100, 30, 80, 140, 90, 40};

const int kZoneOffsets[] = {0, 0, 60, 60, 120, -300, -240, -480, -420, 330, 540, 600, -180, 180, 780};

const char* const kMailers[] = {
    "X-Mailer: Microsoft Outlook Express 6.00.2800.1106",
    "X-Mailer: Microsoft Outlook Express 5.50.4133.2400",
    "X-Mailer: Microsoft Office Outlook, Build 11.0.5510",
    "User-Agent: Mozilla Thunderbird 1.0.2 (Windows/20050317)",
    "User-Agent: Mutt/1.4.1i",
    "X-Mailer: Apple Mail (2.753)",
    "X-Mailer: Evolution 2.6.0",
    "X-Mailer: Pegasus Mail for Windows (4.41)",
    "X-Mailer: QUALCOMM Windows Eudora Version 6.2.0.14",
    "User-Agent: Roundcube Webmail/1.4.11",
};

const char* kindNames[] = {"plain",    "quoted-printable", "8bit",      "flowed",
                           "alternative", "mixed",         "related",   "duplicate"};

std::string ip(Random& random) {
    static const char* const kNets[] = {"192.0.2.", "198.51.100.", "203.0.113."};
    return random.pick(kNets) + std::to_string(random.range(1, 254));
}

std::string host(Random& random) {
    static const char* const kHosts[] = {"mx", "mail", "smtp", "relay", "mx1", "mx2", "out", "mailhost"};
    return std::string(random.pick(kHosts)) + "." + makeDomain(random);
}

std::string hexId(Random& random, unsigned digits) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned i = 0; i < digits; ++i) out += kHex[random.below(16)];
    return out;
}

std::string receivedHeader(Random& random, const std::string& recipient, const std::string& sender, int64_t utc,
                           int zone) {
    const std::string date = headerDate(utc, zone);
    const std::string helo = host(random);
    const std::string by = host(random);
    switch (random.below(6)) {
        case 0:
            return "Received: from " + helo + " (" + helo + " [" + ip(random) + "])\n\tby " + by +
                   " (8.12.11/8.12.11) with ESMTP id i" + hexId(random, 13) + "\n\tfor <" + recipient + ">; " +
                   date + "\n";
        case 1:
            return "Received: from " + helo + " (unknown [" + ip(random) + "])\n\tby " + by +
                   " (Postfix) with ESMTP id " + hexId(random, 10) + "\n\tfor <" + recipient + ">; " + date + "\n";
        case 2:
            return "Received: from [" + ip(random) + "] (helo=" + helo + ")\n\tby " + by +
                   " with esmtpa (Exim 4.69)\n\t(envelope-from <" + sender + ">)\n\tid 1" + hexId(random, 5) + "-000" +
                   hexId(random, 3) + "-9E; " + date + "\n";
        case 3:
            return "Received: (qmail " + std::to_string(random.range(1000, 99999)) + " invoked from network); " +
                   date + "\n";
        case 4:
            return "Received: from " + helo + " ([" + ip(random) + "]) by " + by +
                   " with Microsoft SMTPSVC(6.0.3790.1830);\n\t " + date + "\n";
        default:
            return "Received: by " + by + " (Postfix, from userid 1000)\n\tid " + hexId(random, 10) + "; " + date +
                   "\n";
    }
}

std::string messageId(Random& random, uint64_t serial) {
    char buffer[128];
    const std::string domain = makeDomain(random);
    switch (random.below(3)) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "<%012llx$%08x$0200a8c0@%s>", static_cast<unsigned long long>(serial),
                          static_cast<unsigned>(random.next()), domain.c_str());
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "<%08llX.%07u@%s>", static_cast<unsigned long long>(serial),
                          static_cast<unsigned>(random.below(10000000)), domain.c_str());
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "<%llu.GA%05u@host.%s>", static_cast<unsigned long long>(serial),
                          static_cast<unsigned>(random.below(100000)), domain.c_str());
            break;
    }
    return buffer;
}

// A display name as header text: encoded words when not ASCII, quoted when
// it holds specials.
std::string phrase(Random& random, const std::string& name) {
    if (!isAscii(name)) {
        const std::string latin1 = latin1FromUtf8(name);
        const bool fits = fitsLatin1(name);
        const uint64_t roll = random.below(10);
        if (roll < 4) return encodedWordsB("UTF-8", name);
        if (roll < 7 || !fits) return encodedWordsQ("UTF-8", name);
        if (roll == 7) return "\"" + encodedWordsQ("ISO-8859-1", latin1) + "\"";  // quoted, as some mailers do
        return encodedWordsQ("ISO-8859-1", latin1);
    }
    if (name.find_first_of(",.'") != std::string::npos || random.chance(1, 4)) return "\"" + name + "\"";
    return name;
}

std::string mailbox(Random& random, const Person& person) {
    if (person.display.empty()) return random.chance(1, 2) ? person.address : "<" + person.address + ">";
    const uint64_t roll = random.below(100);
    if (roll < 3 && isAscii(person.display)) return person.address + " (" + person.display + ")";
    if (roll < 12 && isAscii(person.display)) {
        const size_t blank = person.display.rfind(' ');
        return "\"" + person.display.substr(blank + 1) + ", " + person.display.substr(0, blank) + "\" <" +
               person.address + ">";
    }
    return phrase(random, person.display) + " <" + person.address + ">";
}

Letters drawLetters(Random& random, unsigned utf8Per100, unsigned latin1Per100) {
    const uint64_t roll = random.below(100);
    if (roll < utf8Per100) return Letters::Utf8;
    if (roll < utf8Per100 + latin1Per100) return Letters::Latin1;
    return Letters::Ascii;
}

MessageKind drawKind(Random& random) {
    uint64_t roll = random.below(1000);
    for (size_t i = 0; i < std::size(kKindShares); ++i) {
        if (roll < kKindShares[i]) return static_cast<MessageKind>(i);
        roll -= kKindShares[i];
    }
    return MessageKind::Plain;
}

const char* charsetOf(Letters letters) {
    switch (letters) {
        case Letters::Ascii: return "us-ascii";
        case Letters::Latin1: return "ISO-8859-1";
        case Letters::Utf8: return "UTF-8";
    }
    return "us-ascii";
}

// A body size in bytes between `low` and `high`, mostly near `low`.
size_t bodySize(Random& random, size_t low, size_t high) { return low + random.skewed(high - low); }

// Paragraphs each on one line, as mailers that leave wrapping to
// quoted-printable write them.
std::string unwrapped(const std::vector<std::string>& paragraphs) {
    std::string out;
    for (const std::string& p : paragraphs) out += (out.empty() ? "" : "\n") + p + "\n";
    return out;
}

struct Cast {
    Person sender;
    Person recipient;
};

Part plainOrQuotedPart(Random& random, const Cast& cast, size_t size) {
    const Letters letters = drawLetters(random, 10, 20);
    const auto paragraphs = makeParagraphs(random, letters, size);
    const std::string text = plainBody(random, paragraphs, cast.sender, cast.recipient);
    return textPart("plain", charsetOf(letters), text,
                    letters == Letters::Ascii ? Transfer::SevenBit : Transfer::QuotedPrintable);
}

Part alternativePart(Random& random, const Cast& cast, size_t size, const std::vector<Part>& related = {},
                     const std::vector<std::string>& cids = {}) {
    const Letters letters = drawLetters(random, 20, 40);
    const char* charset = charsetOf(letters);
    const auto paragraphs = makeParagraphs(random, letters, size);
    const Part plain = textPart("plain", charset, plainBody(random, paragraphs, cast.sender, cast.recipient),
                                letters == Letters::Ascii ? Transfer::SevenBit : Transfer::QuotedPrintable);
    const uint64_t roll = random.below(10);
    Transfer transfer = Transfer::QuotedPrintable;
    if (roll >= 6) transfer = roll >= 8 || letters != Letters::Ascii ? Transfer::Base64 : Transfer::SevenBit;
    const std::string html = htmlBody(random, paragraphs, charset, cids, transfer != Transfer::QuotedPrintable);
    Part htmlPart = textPart("html", charset, html, transfer);
    if (related.empty()) return multipart(random, "alternative", {plain, htmlPart});
    std::vector<Part> relatedParts = {htmlPart};
    relatedParts.insert(relatedParts.end(), related.begin(), related.end());
    Part relatedPart = multipart(random, "related", relatedParts, " type=\"text/html\";");
    if (random.chance(1, 2)) return relatedPart;
    return multipart(random, "alternative", {plain, relatedPart});
}

// The body part of the message and what goes into the summary.
Part makeBody(Random& random, MessageKind kind, const Cast& cast, AttachmentSizes& sizes,
              GeneratedMessage& message) {
    switch (kind) {
        case MessageKind::Plain: {
            const auto paragraphs = makeParagraphs(random, Letters::Ascii, bodySize(random, 1024, 20 * 1024));
            Part part;
            const uint64_t roll = random.below(10);
            if (roll < 4) {
                part.headers = "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: 7bit\n";
            } else if (roll < 6) {
                part.headers = "Content-Type: text/plain; charset=\"iso-8859-1\"; format=fixed\n";
            }
            part.body = plainBody(random, paragraphs, cast.sender, cast.recipient);
            return part;
        }
        case MessageKind::QuotedPrintable: {
            const Letters letters = random.chance(1, 2) ? Letters::Latin1 : Letters::Utf8;
            const auto paragraphs = makeParagraphs(random, letters, bodySize(random, 1024, 12 * 1024));
            const std::string text = random.chance(2, 5) ? unwrapped(paragraphs)
                                                          : plainBody(random, paragraphs, cast.sender, cast.recipient);
            return textPart("plain", charsetOf(letters), text, Transfer::QuotedPrintable);
        }
        case MessageKind::EightBit: {
            const Letters letters = random.chance(1, 2) ? Letters::Latin1 : Letters::Utf8;
            const auto paragraphs = makeParagraphs(random, letters, bodySize(random, 1024, 12 * 1024));
            return textPart("plain", charsetOf(letters), plainBody(random, paragraphs, cast.sender, cast.recipient),
                            Transfer::EightBit);
        }
        case MessageKind::Flowed: {
            const uint64_t roll = random.below(10);
            const Letters letters = roll < 4 ? Letters::Ascii : Letters::Latin1;
            const auto paragraphs = makeParagraphs(random, letters, bodySize(random, 1024, 12 * 1024));
            const std::string text = flowedBody(random, paragraphs, cast.sender, cast.recipient);
            if (roll < 4) return textPart("plain", "us-ascii", text, Transfer::SevenBit, "; format=flowed");
            if (roll < 7) return textPart("plain", "UTF-8", text, Transfer::EightBit, "; format=flowed");
            return textPart("plain", "ISO-8859-1", text, Transfer::QuotedPrintable, "; format=flowed");
        }
        case MessageKind::Alternative: return alternativePart(random, cast, bodySize(random, 512, 10 * 1024));
        case MessageKind::Mixed: {
            std::vector<Part> parts;
            const size_t size = bodySize(random, 200, 6 * 1024);
            parts.push_back(random.chance(7, 10) ? plainOrQuotedPart(random, cast, size)
                                                 : alternativePart(random, cast, size));
            const uint64_t count = 1 + random.skewed(3);
            for (uint64_t i = 0; i < count; ++i) {
                parts.push_back(attachmentPart(random, sizes, message.attachmentBytes));
                ++message.attachments;
            }
            return multipart(random, "mixed", parts);
        }
        case MessageKind::Related: {
            const unsigned count = static_cast<unsigned>(1 + random.skewed(4));
            std::vector<std::string> cids;
            std::vector<Part> images;
            const std::string stamp = hexId(random, 8) + "." + hexId(random, 8);
            for (unsigned i = 1; i <= count; ++i) {
                cids.push_back(random.chance(1, 2) ? "image00" + std::to_string(i) + ".jpg@01C" + stamp
                                                   : "part" + std::to_string(i) + "." + stamp + "@" + makeDomain(random));
                images.push_back(imagePart(random, cids.back(), i, message.attachmentBytes));
            }
            message.attachments += count;
            return alternativePart(random, cast, bodySize(random, 300, 4 * 1024), images, cids);
        }
        case MessageKind::Duplicate: break;
    }
    return {};
}

}  // namespace

const char* kindName(MessageKind kind) { return kindNames[static_cast<size_t>(kind)]; }

GeneratedMessage makeMessage(Random& random, AttachmentSizes& sizes, uint64_t serial, int64_t utc) {
    GeneratedMessage message;
    message.kind = drawKind(random);
    Cast cast{makePerson(random, drawLetters(random, 8, 15)), makePerson(random, drawLetters(random, 4, 10))};
    const bool list = random.chance(1, 10);
    const int zone = random.pick(kZoneOffsets);

    std::string subject = makeSubject(random, drawLetters(random, 8, 7));
    if (list) subject = "[" + makeWord(random) + "-list] " + subject;
    if (random.chance(1, 20)) {
        while (subject.size() < 150) subject += " " + makeWord(random);  // folded over lines
    }
    message.subject = latin1FromUtf8(subject);
    message.senderName = latin1FromUtf8(cast.sender.display.empty() ? cast.sender.address : cast.sender.display);
    message.recipientName =
        latin1FromUtf8(cast.recipient.display.empty() ? cast.recipient.address : cast.recipient.display);

    std::string subjectText = subject;
    if (!isAscii(subject) || random.chance(1, 50)) {
        message.encodedSubject = true;
        const std::string latin1 = latin1FromUtf8(subject);
        const bool fits = fitsLatin1(subject);
        const uint64_t roll = random.below(4);
        if (roll == 0) subjectText = encodedWordsB("UTF-8", subject);
        else if (roll == 1 || !fits) subjectText = encodedWordsQ("UTF-8", subject);
        else if (roll == 2) subjectText = encodedWordsQ("ISO-8859-1", latin1);
        else subjectText = encodedWordsB("ISO-8859-1", latin1);
    }

    // Delivery follows the writing by seconds to, rarely, hours; every hop
    // of the way is a Received header, the last hop on top.
    const int64_t delivered = utc + static_cast<int64_t>(random.chance(1, 30) ? random.below(20000) : random.below(300));
    const std::string envelope = list ? "owner-list@lists.example.org" : cast.sender.address;
    message.fromLine = "From " + envelope + " " + asctimeDate(delivered);

    std::string& text = message.text;
    if (random.chance(7, 10)) text += "Return-Path: <" + envelope + ">\n";
    if (random.chance(1, 5)) text += "Delivered-To: " + cast.recipient.address + "\n";
    const uint64_t hops = 1 + random.skewed(6);
    for (uint64_t i = 0; i < hops; ++i) {
        const int64_t at = delivered - static_cast<int64_t>((delivered - utc) * i / hops);
        text += receivedHeader(random, cast.recipient.address, envelope, at, random.pick(kZoneOffsets));
    }
    if (random.chance(3, 20)) {
        text += "X-Spam-Status: No, score=-2.6 required=5.0 tests=BAYES_00,HTML_MESSAGE,\n\t"
                "SPF_PASS autolearn=ham version=3.2.5\n";
    }
    const int dateStyle = random.chance(17, 20) ? 0 : static_cast<int>(random.range(1, 3));
    const std::string id = messageId(random, serial);
    const std::string dateLine = "Date: " + headerDate(utc, zone, dateStyle) + "\n";
    const std::string idLine = "Message-ID: " + id + "\n";
    text += random.chance(1, 2) ? idLine + dateLine : dateLine + idLine;
    text += "From: " + mailbox(random, cast.sender) + "\n";

    std::string to = mailbox(random, cast.recipient);
    for (uint64_t extra = random.chance(1, 5) ? random.range(1, 8) : 0; extra > 0; --extra) {
        to += ", " + mailbox(random, makePerson(random, Letters::Ascii));
    }
    text += foldedHeader("To", to);
    if (random.chance(1, 5)) text += foldedHeader("Cc", mailbox(random, makePerson(random, drawLetters(random, 5, 10))));
    if (random.chance(1, 20)) text += "Reply-To: " + mailbox(random, makePerson(random, Letters::Ascii)) + "\n";
    text += foldedHeader("Subject", subjectText);
    if (subject.starts_with("Re:") || subject.starts_with("RE:")) {
        const std::string earlier = messageId(random, serial + (1ull << 40));
        text += "In-Reply-To: " + earlier + "\n";
        if (random.chance(1, 2)) {
            text += foldedHeader("References", messageId(random, serial + (2ull << 40)) + " " +
                                                   messageId(random, serial + (3ull << 40)) + " " + earlier);
        }
    }
    if (list) {
        text += "Sender: owner-list@lists.example.org\nPrecedence: bulk\nList-Id: <announce.lists.example.org>\n"
                "List-Unsubscribe: <mailto:announce-request@lists.example.org?subject=unsubscribe>\n";
    }
    if (random.chance(3, 5)) text += std::string(random.pick(kMailers)) + "\n";
    if (random.chance(1, 10)) text += "X-Priority: " + std::to_string(random.range(1, 5)) + "\n";

    const Part body = makeBody(random, message.kind, cast, sizes, message);
    if (!body.headers.empty()) text += "MIME-Version: 1.0\n";
    text.reserve(text.size() + body.headers.size() + body.body.size() + 1);
    text += body.headers;
    text += '\n';
    text += body.body;
    return message;
}

}  // namespace tessaly::bench
