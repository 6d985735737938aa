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

// The attachments of a message as parts below `parent` (the root when null;
// step of ConvertMapiMessage). An attachment that holds an Outlook item
// becomes a Message part: `depth` counts the items around it.
void readMapiAttachments(JobRun& run, MapiLibrary& library, IMessage& message, MessageParts& parts,
                         tagMessagePart* parent = nullptr, int depth = 0);

// An Outlook item held by an attachment (named `name`), below `parent`: a
// Message part over the item's .eml text, and below it the root of the
// item's own parts (bodies, attachments, the items it holds in turn).
void addEmbeddedMessage(JobRun& run, MapiLibrary& library, IMessage& item, const std::string& name,
                        MessageParts& parts, tagMessagePart* parent, int depth);

}  // namespace tessaly
