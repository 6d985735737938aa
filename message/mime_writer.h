// mime_writer.h - writing an RFC 822 / MIME message from values and parts:
// the .eml file of a message that a store keeps as properties (an Outlook
// item inside another).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

struct MimePart {
    enum class Kind {
        Text,        // UTF-8 text: quoted-printable, charset=utf-8
        Attachment,  // any bytes: base64
        Message,     // a whole message (message/rfc822): its text as it is
    };
    Kind kind = Kind::Attachment;
    std::string contentType;  // "text/plain", "image/png"; empty for attachments of no known type
    std::string fileName;     // UTF-8; empty for bodies
    std::string contentId;    // without brackets; empty when none
    std::string bytes;
};

struct MimeMessage {
    // Name and UTF-8 value, in order; values with other than printable ASCII
    // are written as encoded words.
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<MimePart> parts;
};

// One address as a header writes it: "Name <address>", the name quoted or
// encoded as it needs, or the address or the name alone.
std::string mimeAddress(std::string_view name, std::string_view address);

// The message with CR LF line ends: the headers, MIME-Version, and a
// multipart/mixed body of the parts (a single part is the body itself).
// `boundaryTag` makes the boundary of this message unlike those of the
// messages inside it (their depth, say).
std::string writeMimeMessage(const MimeMessage& message, std::string_view boundaryTag);

}  // namespace tessaly
