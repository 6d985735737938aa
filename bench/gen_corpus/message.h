// message.h - one generated message: its headers, its kind of body and the
// mailbox From line that goes before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gen_corpus/parts.h"
#include "gen_corpus/random.h"

namespace tessaly::bench {

enum class MessageKind {
    Plain,            // text/plain, 7bit, often without MIME headers
    QuotedPrintable,  // text/plain with non-ASCII text in quoted-printable
    EightBit,         // text/plain with raw 8-bit text
    Flowed,           // text/plain; format=flowed
    Alternative,      // multipart/alternative: text/plain and text/html
    Mixed,            // multipart/mixed with base64 attachments
    Related,          // multipart/related: HTML with cid: images
    Duplicate,        // an exact repeat of an earlier message
};
inline constexpr size_t kMessageKindCount = 8;

const char* kindName(MessageKind kind);

struct GeneratedMessage {
    MessageKind kind = MessageKind::Plain;
    std::string fromLine;    // the mailbox separator line, without its line end
    std::string text;        // the whole message with LF line ends
    std::string senderName;  // ISO-8859-1, as Outlook Express keeps it
    std::string recipientName;  // ISO-8859-1
    std::string subject;        // ISO-8859-1
    unsigned attachments = 0;
    uint64_t attachmentBytes = 0;  // decoded
    bool encodedSubject = false;
};

// A message of a kind drawn from `random` in the usual shares, sent at
// `utc`. `serial` keeps its Message-ID apart from every other one.
GeneratedMessage makeMessage(Random& random, AttachmentSizes& sizes, uint64_t serial, int64_t utc);

}  // namespace tessaly::bench
