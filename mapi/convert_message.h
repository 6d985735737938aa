// convert_message.h - one Outlook message read through MAPI into the message
// model and archived as an HTML page.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_writer.h"
#include "mapi/message_parts.h"
#include "mapi/provider.h"

namespace tessaly {

// Option bit: leave out the RTF synchronisation (which may write to the
// store).
constexpr uint32_t kSkipRtfSync = 1;

// Archives one message into the target folder or logs why not. `label` is
// the HTML-safe progress label (date - sender - subject) that names the
// message in the not-an-e-mail warning.
void ConvertMapiMessage(TargetFolder& target, MapiLibrary& library, IMessage& message,
                        const std::string& label, uint32_t options);

// The problem line for a message that cannot be read, naming the error.
void logUnreadableMessage(JobRun& run, MapiResult result);

// The attachments of a message as parts (step of ConvertMapiMessage).
void readMapiAttachments(JobRun& run, IMessage& message, MessageParts& parts);

}  // namespace tessaly
