// convert_message.cpp - an Outlook message into the message model: its
// properties, recipients, bodies and attachments, then the HTML page.
#include "mapi/convert_message.h"

#include <vector>

#include "archive/checksum.h"
#include "archive/duplicates.h"
#include "mapi/address_entries.h"
#include "mapi/mapi_dates.h"
#include "mapi/memory_stream.h"
#include "message/body_html.h"
#include "message/content_key.h"
#include "message/mime_writer.h"
#include "message/dates.h"
#include "message/headers.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

// The message properties, read in one go, in this order.
enum : size_t {
    kClass,
    kSenderName,
    kSenderAddress,
    kSubject,
    kSubmitTime,
    kDeliveryTime,
    kReceivedByAddress,
    kReceivedByName,
    kReceivedByEntryId,
    kRtfInSync,
    kHeaders,
    kRepresentingName,
    kRepresentingAddress,
    kMessageId,
};

const std::vector<uint32_t> kMessageTags = {
    PR_MESSAGE_CLASS,        PR_SENDER_NAME,         PR_SENDER_EMAIL_ADDRESS,
    PR_SUBJECT,              PR_CLIENT_SUBMIT_TIME,  PR_MESSAGE_DELIVERY_TIME,
    PR_RECEIVED_BY_EMAIL_ADDRESS, PR_RECEIVED_BY_NAME, PR_RECEIVED_BY_ENTRYID,
    PR_RTF_IN_SYNC,          PR_TRANSPORT_MESSAGE_HEADERS, PR_SENT_REPRESENTING_NAME,
    PR_SENT_REPRESENTING_EMAIL_ADDRESS, PR_INTERNET_MESSAGE_ID,
};

// Recipient types may carry flag bits above the type itself.
constexpr uint32_t kRecipientTypeMask = 0x0FFFFFFF;
constexpr uint32_t KEEP_OPEN_READWRITE = 0x00000002;

class Properties {
public:
    explicit Properties(PropRow values) : values_(std::move(values)) {}
    bool has(size_t i) const { return i < values_.size() && !isErrorValue(values_[i]); }
    const PropValue& at(size_t i) const { return values_[i]; }
    // The text, empty when absent.
    std::string text(size_t i) const { return has(i) ? values_[i].bytes : std::string(); }

private:
    PropRow values_;
};

bool isEmailClass(const std::string& cls) {
    return cls.compare(0, 8, "IPM.Note") == 0 || cls.compare(0, 8, "IPF.Note") == 0;
}

bool hasAt(const std::string& text) { return text.find('@') != std::string::npos; }

void readRecipients(IMessage& message, std::vector<TEmailAddr>& to, std::vector<TEmailAddr>& cc) {
    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(message.GetRecipientTable(0, table)) || !table ||
        mapiFailed(table->QueryAllRows({PR_DISPLAY_NAME, PR_EMAIL_ADDRESS, PR_RECIPIENT_TYPE}, rows))) {
        return;
    }
    for (const PropRow& row : rows) {
        TEmailAddr entry{propBytes(row, PR_DISPLAY_NAME), propBytes(row, PR_EMAIL_ADDRESS)};
        if (entry.name == entry.address) entry.name.clear();
        // Exchange addresses have no "@": such recipients show by name.
        if (!hasAt(entry.address)) entry.address.clear();
        if (entry.name.empty() && entry.address.empty()) continue;
        const uint32_t type = propNumber(row, PR_RECIPIENT_TYPE) & kRecipientTypeMask;
        (type == MAPI_CC || type == MAPI_BCC ? cc : to).push_back(entry);
    }
}

void fillAddresses(IMessage& message, const Properties& props, TMessageInfo& info) {
    const std::string senderName = props.text(kSenderName);
    const std::string senderAddress = props.text(kSenderAddress);
    if (!senderName.empty() || !senderAddress.empty()) {
        const AddressForms from = renderAddressEntries({{senderName, senderAddress}});
        info.from = from.plain;
        info.fromHtml = from.fullHtml;
        info.fromName = info.fromTitle = from.firstName;
        info.fromAddress = from.firstAddress;
    }

    std::vector<TEmailAddr> to;
    std::vector<TEmailAddr> cc;
    readRecipients(message, to, cc);
    const AddressForms toForms = renderAddressEntries(to);
    const AddressForms ccForms = renderAddressEntries(cc);
    info.to = toForms.plain;
    info.toHtml = toForms.fullHtml;
    info.toShortHtml = toForms.shortHtml;
    info.toName = info.toTitle = toForms.firstName;
    info.cc = ccForms.plain;
    info.ccHtml = ccForms.fullHtml;
    info.ccShortHtml = ccForms.shortHtml;
    info.ccName = ccForms.firstName;
    if (toForms.count + ccForms.count > 1) {
        if (!info.ccName.empty()) info.ccName += " +al";
        if (!info.toName.empty()) info.toName += " +al";
        if (!info.toTitle.empty()) info.toTitle += " +al";
    }
}

FILETIME now() {
    FILETIME moment;
    systemTimeToFileTime(getSystemTime(), moment);
    return moment;
}

// The stamp takes the sent moment from the date text as written; the file
// time is the received moment, else the sent one, else now.
void fillTimes(TMessageInfo& info) {
    info.sentTime = SYSTEMTIME{};
    if (!info.date.empty() && !parseDate(info.date, nullptr, &info.sentTime)) info.sentTime = SYSTEMTIME{};
    const std::string& moment = !info.received.empty() ? info.received : info.date;
    if (moment.empty() || !parseDate(moment, &info.fileTime, nullptr)) info.fileTime = now();
}

// What the internet headers add: a newsgroup list, and the dates as sent.
void completeFromHeaders(JobRun& run, Charsets& charsets, const std::string& headers, TMessageInfo& info) {
    TMessageInfo header;
    parseHeaders(run, charsets, &header, nullptr, headers.data(), headers.data() + headers.size(), true);
    if (header.isNews) {
        info.to = header.to;
        info.toHtml = header.toHtml;
        info.toShortHtml = header.toShortHtml;
        info.toName = header.toName;
        info.toTitle = header.toTitle;
        info.isNews = true;
    }
    if (info.hasReceived) {
        if (!header.date.empty()) {
            info.date = header.date;
            info.sentTime = header.sentTime;
        }
        if (!header.received.empty()) {
            info.received = header.received;
            info.fileTime = header.fileTime;
        }
    } else if (!header.date.empty()) {
        info.date = header.date;
        info.sentTime = header.sentTime;
        info.fileTime = header.fileTime;
    }
    if (info.messageId.empty()) info.messageId = header.messageId;
}

bool readStream(IMAPIProp& object, uint32_t tag, std::string& bytes, uint32_t step = 4096) {
    std::shared_ptr<IStream> stream;
    bytes.clear();
    if (mapiFailed(object.OpenProperty(tag, stream)) || !stream) return false;
    if (mapiFailed(readWholeStream(*stream, bytes, step))) {
        bytes.clear();
        return false;
    }
    return true;
}

// The RTF body, uncompressed; false when there is none that reads.
bool readRtf(MapiLibrary& library, IMessage& message, std::string& rtf) {
    std::shared_ptr<IStream> compressed;
    std::shared_ptr<IStream> uncompressed;
    rtf.clear();
    if (mapiFailed(message.OpenProperty(PR_RTF_COMPRESSED, compressed)) || !compressed ||
        mapiFailed(library.WrapCompressedRTFStream(compressed, 0, uncompressed)) || !uncompressed ||
        mapiFailed(readWholeStream(*uncompressed, rtf, 1024))) {
        rtf.clear();
        return false;
    }
    return true;
}

// Plain, HTML and RTF bodies as parts; returns the plain-text body part.
const tagMessagePart* readBodies(JobRun& run, MapiLibrary& library, IMessage& message,
                                 const Properties& props, uint32_t options, MessageParts& parts,
                                 tagMessagePart* parent = nullptr) {
    if ((!props.has(kRtfInSync) || props.at(kRtfInSync).number == 0) && !(options & kSkipRtfSync)) {
        bool updated = false;
        if (!mapiFailed(library.RTFSync(message, RTF_SYNC_BODY_CHANGED, updated)) && updated) {
            message.SaveChanges(KEEP_OPEN_READWRITE);
        }
    }
    uint64_t bytesRead = 0;
    const tagMessagePart* plainPart = nullptr;
    std::string body;
    if (readStream(message, PR_BODY, body)) {
        bytesRead += body.size();
        plainPart = &parts.add(std::move(body), PartKind::Text, BodyFormat::OutlookText, "", parent);
    }
    std::string html;
    const bool hasHtml = readStream(message, PR_BODY_HTML, html);
    if (hasHtml) {
        bytesRead += html.size();
        parts.add(std::move(html), PartKind::Html, BodyFormat::None, ".html", parent);
    } else {
        std::string rtf;
        if (readRtf(library, message, rtf)) {
            bytesRead += rtf.size();
            const char* begin = rtf.data();
            const char* end = begin + rtf.size();
            // RTF made from plain text only repeats the plain body.
            if (!isRtfText(begin, end)) {
                if (isRtfHtml(begin, end)) {
                    parts.add(std::move(rtf), PartKind::Html, BodyFormat::RtfHtml, ".html", parent);
                } else {
                    parts.add(std::move(rtf), PartKind::Attachment, BodyFormat::None, ".rtf", parent);
                }
            }
        }
    }
    run.addBytes(bytesRead);
    return plainPart;
}

std::string joinedAddresses(const std::vector<TEmailAddr>& entries) {
    std::string out;
    for (const TEmailAddr& entry : entries) {
        if (!out.empty()) out += ", ";
        out += mimeAddress(entry.name, entry.address);
    }
    return out;
}

// The .eml text of an item from the parts read of it (below `root`).
std::string emlOf(const Properties& props, const std::vector<TEmailAddr>& to, const std::vector<TEmailAddr>& cc,
                  const tagMessagePart& root, int depth) {
    MimeMessage eml;
    std::string sender = props.text(kSenderAddress);
    std::string senderName = props.text(kSenderName);
    if (sender.empty() && senderName.empty()) {
        sender = props.text(kRepresentingAddress);
        senderName = props.text(kRepresentingName);
    }
    eml.headers = {{"From", mimeAddress(senderName, hasAt(sender) ? sender : "")},
                   {"To", joinedAddresses(to)},
                   {"Cc", joinedAddresses(cc)},
                   {"Subject", props.text(kSubject)},
                   {"Date", props.has(kSubmitTime) ? utcDateText(props.at(kSubmitTime).time) : std::string()},
                   {"Message-ID", props.has(kMessageId) ? "<" + stripEnclosing(props.text(kMessageId)) + ">"
                                                        : std::string()}};
    DecodeContext decoder;
    for (const tagMessagePart* part = root.firstChild; part; part = part->nextSibling) {
        MimePart mime;
        std::string bytes(part->bodyStart, part->bodyEnd);
        switch (part->kind) {
            case PartKind::Text: mime.kind = MimePart::Kind::Text; break;
            case PartKind::Html:
                mime.kind = MimePart::Kind::Text;
                mime.contentType = "text/html";
                if (part->bodyFormat == BodyFormat::RtfHtml) {
                    const char* start = part->bodyStart;
                    const char* end = part->bodyEnd;
                    rtfToHtml(decoder, start, end);
                    bytes.assign(start, end);
                }
                break;
            case PartKind::Message: mime.kind = MimePart::Kind::Message; break;
            default: mime.kind = MimePart::Kind::Attachment; break;
        }
        if (part->kind != PartKind::Text && part->kind != PartKind::Html) {
            mime.fileName = part->declaredName.empty() ? part->fileName : part->declaredName;
            mime.contentType = part->contentType;
        }
        if (part->contentId.rfind("cid:", 0) == 0) mime.contentId = part->contentId.substr(4);
        mime.bytes = std::move(bytes);
        eml.parts.push_back(std::move(mime));
    }
    return writeMimeMessage(eml, std::to_string(depth));
}

// The whole content of an Outlook message: its header values and every
// part's name and bytes.
std::string contentKeyOf(TMessageInfo& info) {
    ContentHasher hasher;
    for (const std::string* value : {&info.from, &info.to, &info.cc, &info.subject, &info.date, &info.messageId}) {
        hasher.feed(*value);
        hasher.endItem();
    }
    TPartIterator parts(&info.rootPart);
    while (const tagMessagePart* part = parts.next()) {
        if (part == &info.rootPart) continue;
        hasher.feed(part->fileName);
        hasher.endItem();
        if (part->bodyStart) hasher.feed(part->bodyStart, static_cast<size_t>(part->bodyEnd - part->bodyStart));
        hasher.endItem();
    }
    return contentKeyText(hasher.value());
}

}  // namespace

// Items held by items held by items: deep enough for any forwarding chain,
// and a bound for a damaged store.
constexpr int kMaxEmbeddedDepth = 8;

void addEmbeddedMessage(JobRun& run, MapiLibrary& library, IMessage& item, const std::string& name,
                        MessageParts& parts, tagMessagePart* parent, int depth) {
    PropRow values;
    const MapiResult result = item.GetProps(kMessageTags, values);
    if (result != SUCCESS_SUCCESS && result != MAPI_W_ERRORS_RETURNED) return;
    values.resize(kMessageTags.size(), errorValue(0, MAPI_E_NOT_FOUND));
    const Properties props(std::move(values));

    std::string fileName = safeFileText(name.empty() ? props.text(kSubject) : name);
    if (fileName.empty()) fileName = "message";
    const std::string extension = asciiLower(extensionOf(fileName));
    if (extension == ".msg") fileName.resize(fileName.size() - 4);
    if (extension != ".eml") fileName += ".eml";
    tagMessagePart& message = parts.add(std::string(), PartKind::Message, BodyFormat::None, fileName, parent);
    message.declaredName = fileName;

    // Its parts below a root of their own, under its headers.
    std::vector<TEmailAddr> to;
    std::vector<TEmailAddr> cc;
    readRecipients(item, to, cc);
    TMessageInfo headers;
    fillAddresses(item, props, headers);
    auto shown = std::make_shared<EmbeddedHeaders>();
    shown->fromHtml = headers.fromHtml;
    shown->toHtml = headers.toHtml;
    shown->ccHtml = headers.ccHtml;
    shown->subject = props.text(kSubject);
    if (props.has(kSubmitTime)) shown->date = utcDateText(props.at(kSubmitTime).time);
    tagMessagePart& root = parts.add(std::string(), PartKind::Multipart, BodyFormat::None, "", &message);
    root.embedded = shown;
    readBodies(run, library, item, props, kSkipRtfSync, parts, &root);
    if (depth < kMaxEmbeddedDepth) readMapiAttachments(run, library, item, parts, &root, depth + 1);

    parts.setBytes(message, emlOf(props, to, cc, root, depth));
}

void logUnreadableMessage(JobRun& run, MapiResult result) {
    run.runProblem("Error: <a href=\"help:err_mapireadmsg.html\">unable to read a message</a> in " +
                   run.messageWhere() + " - " + mapiErrorName(result));
    run.markMessage();
}

void ConvertMapiMessage(TargetFolder& target, MapiLibrary& library, IMessage& message,
                        const std::string& label, uint32_t options) {
    ArchiveWriter& writer = target.writer();
    JobRun& run = writer.run();
    // A stop that came with the progress of this message: it is not archived.
    if (run.shouldStop()) {
        run.uncountMessage();
        return;
    }

    PropRow values;
    const MapiResult result = message.GetProps(kMessageTags, values);
    if (result != SUCCESS_SUCCESS && result != MAPI_W_ERRORS_RETURNED) {
        if (result == E_ACCESSDENIED) {
            reportOffline(run);
        } else {
            logUnreadableMessage(run, result);
        }
        return;
    }
    values.resize(kMessageTags.size(), errorValue(0, MAPI_E_NOT_FOUND));
    const Properties props(std::move(values));

    const std::string messageClass = props.text(kClass);
    if (!props.has(kClass) || !isEmailClass(messageClass)) {
        std::string line = "Warning: <a href=\"help:err_mapinotemail.html\">something's not an email</a> in " +
                           htmlEscape(target.folderName()) + " - " + label;
        if (props.has(kClass)) line += " It's an " + htmlEscape(messageClass);
        run.runProblem(line);
        return;
    }

    TMessageInfo info;
    if (props.has(kSubmitTime)) info.date = utcDateText(props.at(kSubmitTime).time);
    if (props.has(kDeliveryTime)) info.received = localDateText(props.at(kDeliveryTime).time);
    info.hasReceived = props.has(kReceivedByAddress) || props.has(kReceivedByName) ||
                       props.has(kReceivedByEntryId) || props.has(kHeaders);
    info.subject = props.text(kSubject);
    info.subjectName = safeFileText(info.subject);
    if (props.has(kMessageId)) info.messageId = stripEnclosing(props.text(kMessageId));
    fillAddresses(message, props, info);
    fillTimes(info);
    if (props.has(kHeaders)) completeFromHeaders(run, writer.decoder().charsets(), props.text(kHeaders), info);

    MessageParts parts(info);
    const tagMessagePart* plainPart = readBodies(run, library, message, props, options, parts);
    readMapiAttachments(run, library, message, parts);

    if (parts.size() == 0 && !props.has(kHeaders)) {
        reportOffline(run);
        return;
    }
    if (!writer.html()) {
        if (writer.countRefusedMessage() < 2) {
            run.runProblem("Error: <a href=\"help:err_psteml.html\">Cannot save from Outlook to EML</a>.");
        }
        run.markMessage();
        return;
    }

    info.checksumKey =
        checksumKeyText(plainPart ? messageChecksum(plainPart->bodyStart, plainPart->bodyEnd) : 0);
    info.contentKey = contentKeyOf(info);
    target.archiveMessage(info);
}

}  // namespace tessaly
