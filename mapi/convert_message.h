// convert_message.h - one Outlook message read through MAPI into the message
// model and archived as an HTML page.
#pragma once

#include <cstdint>
#include <string>

#include "app/run.h"
#include "mapi/message_parts.h"
#include "mapi/provider.h"

namespace tessaly {

// Where the pages of a folder go.
struct MapiTarget {
    std::string archiveFolder;
    // The folder's path below the archive root, ending in "/" (or empty).
    std::string subfolderPath;
    bool useSubfolders = true;
};

// Option bit: leave out the RTF synchronisation (which may write to the
// store).
constexpr uint32_t kSkipRtfSync = 1;

// Archives one message or logs why not. `label` is the HTML-safe progress
// label (date - sender - subject) that names the message in the
// not-an-e-mail warning.
void ConvertMapiMessage(ArchiveRun& run, MapiLibrary& library, IMessage& message,
                        const std::string& folderName, const std::string& label,
                        const MapiTarget& target, uint32_t options);

// The problem line for a message that cannot be read, naming the error.
void logUnreadableMessage(ArchiveRun& run, MapiResult result);

// The attachments of a message as parts (step of ConvertMapiMessage).
void readMapiAttachments(ArchiveRun& run, IMessage& message, MessageParts& parts);

}  // namespace tessaly
