// mailbox_headers.h - the few header fields the mailbox job reads itself,
// before a message goes to the per-message step.
#pragma once

#include <string_view>

namespace tessaly {

// The text of the mailbox message [start, end), which begins with its
// "From " line: the line is not part of the message.
const char* textAfterFromLine(const char* start, const char* end);

// The header block of the message text [text, end): up to its first empty
// line (LF LF or LF CR LF), or all of it.
std::string_view headerBlockOf(const char* text, const char* end);

// Whether the header block has Thunderbird's X-Mozilla-Status field with
// the Expunged flag (0x0008): a message deleted in Thunderbird that stays
// in the file until the folder is compacted.
bool isExpungedMessage(std::string_view headers);

}  // namespace tessaly
