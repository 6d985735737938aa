// model.h - the in-memory model of one message: header values in the forms
// the writers need, and the MIME part tree over the raw text.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/time.h"

namespace tessaly {

// What a part is.
enum class PartKind : uint8_t {
    Unclassified = 0,  // initial value only
    Multipart = 1,     // multipart other than alternative and related
    Alternative = 2,   // multipart/alternative
    Related = 3,       // multipart/related
    Text = 4,          // plain text body
    Html = 5,          // HTML body
    Attachment = 6,
    Image = 7,  // a file name ending ".gif", ".jpg" or ".jpeg"
    // A message inside the message (message/rfc822, an Outlook item): saved
    // as an .eml file; the root of its own parts is its child.
    Message = 8,
};

// How a part's body is encoded or formatted.
enum class BodyFormat : uint8_t {
    None = 0,  // the body is used unchanged
    Base64 = 1,
    Uuencode = 2,
    BinHex = 3,
    Flowed = 4,           // format=flowed text
    OutlookText = 5,      // Outlook plain text, written as paragraphs
    QuotedPrintable = 6,
    Enriched = 7,         // text/enriched
    MacBinary = 8,        // Outlook attachment to be MacBinary-encoded
    RtfHtml = 9,          // HTML encapsulated in RTF
};

// What the page shows above the texts of an embedded message: its header
// values, rendered (addresses as HTML, the rest decoded).
struct EmbeddedHeaders {
    std::string fromHtml;
    std::string toHtml;
    std::string ccHtml;
    std::string subject;
    std::string date;
};

// One node of the part tree. The pointers into the text refer to the raw
// message, which the caller keeps alive until the message is written.
struct tagMessagePart {
    std::string disposition;
    std::string contentId;  // "cid:" + Content-ID without brackets, or empty
    std::string contentType;
    PartKind kind = PartKind::Unclassified;
    std::string boundary;
    std::string transferEncoding;
    BodyFormat bodyFormat = BodyFormat::None;
    std::string declaredName;
    std::string fileName;
    const char* headerStart = nullptr;
    const char* bodyStart = nullptr;
    const char* bodyEnd = nullptr;
    tagMessagePart* nextSibling = nullptr;
    tagMessagePart* firstChild = nullptr;
    tagMessagePart* parent = nullptr;
    int32_t partNumber = 0;
    // The root of an embedded message: its headers.
    std::shared_ptr<const EmbeddedHeaders> embedded;
    // A Message part that would be read as text, as such parts were before
    // they were opened: it still gives the message's checksum key.
    bool keysAsText = false;
};

// Whether `part` lies inside an embedded message (below a Message part).
bool isInsideEmbedded(const tagMessagePart& part);

// The parts of one message below its root, owned together: each keeps its
// address for as long as the store lives. A part may own the bytes its body
// range covers (Outlook bodies and attachments read from streams).
class PartStore {
public:
    PartStore() = default;
    PartStore(const PartStore&) = delete;
    PartStore& operator=(const PartStore&) = delete;

    // A new part in its initial state.
    tagMessagePart& add();
    // A new part whose header and body ranges are its own copy of `bytes`.
    tagMessagePart& addOwning(std::string bytes);
    // Gives `part` its own copy of `bytes` as its header and body ranges.
    void setBytes(tagMessagePart& part, std::string bytes);
    size_t size() const { return parts_.size(); }

private:
    std::deque<tagMessagePart> parts_;
    std::deque<std::string> buffers_;
};

// One message. It owns its part tree, so it is neither copied nor moved:
// the parts point at its root.
struct TMessageInfo {
    std::string to;
    std::string toHtml;
    std::string toShortHtml;
    std::string toName;
    bool isNews = false;
    std::string cc;
    std::string ccHtml;
    std::string ccShortHtml;
    std::string ccName;
    std::string from;
    std::string fromHtml;
    std::string fromName;
    std::string fromAddress;
    // The first name of From and of To as the page's title shows them: the
    // names of fromName and toName in their form for people.
    std::string fromTitle;
    std::string toTitle;
    std::string subject;
    std::string subjectName;
    std::string date;
    std::string received;
    bool hasReceived = false;
    FILETIME fileTime;
    SYSTEMTIME sentTime;
    std::string messageId;
    // The threading headers as written (In-Reply-To, References) and
    // Gmail's thread number (X-GM-THRID), for the archive's catalogue.
    std::string inReplyTo;
    std::string references;
    std::string threadId;
    std::string checksumKey;
    std::string folderName;
    // The whole content's identity (content_key.h), kept with the archived
    // file; empty when unknown.
    std::string contentKey;
    tagMessagePart rootPart;
    // Every part below rootPart.
    PartStore parts;
};

// Back to the initial state; the tree links go too.
void initMessagePart(tagMessagePart& part);

// Walks all parts of a message: a first-in, first-out work list that starts
// with the root; each visited part appends its first child, then its next
// sibling. For R with children A (holding A1, A2) and B (holding B1) the
// order is R, A, A1, B, A2, B1.
class TPartIterator {
public:
    explicit TPartIterator(tagMessagePart* root);

    // The next part, or null when the walk is over.
    tagMessagePart* next();

private:
    std::deque<tagMessagePart*> work_;
};

}  // namespace tessaly
