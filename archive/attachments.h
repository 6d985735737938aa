// attachments.h - the parts of a message saved as files beside its page:
// naming them uniquely, labelling them, writing them decoded, and pointing
// saved HTML bodies at the saved parts they refer to.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "archive/archive_writer.h"
#include "archive/naming.h"
#include "archive/staged_files.h"
#include "message/model.h"

namespace tessaly {

// content id ("cid:..." or an Outlook content location) -> saved file name.
using ContentIdMap = std::unordered_map<std::string, std::string>;

// What preparing the parts of one message leaves for writing them.
struct SavedParts {
    std::unordered_set<std::string> usedNames;  // lower-cased
    ContentIdMap contentIds;                    // the first part of an id wins
    // True while every content id seen is a "cid:" id.
    bool allCid = true;
    uint32_t unnamedAttachments = 0;
    uint32_t unnamedImages = 0;
    uint32_t unnamedHtml = 0;
    uint32_t unnamedMessages = 0;
    // The HTML bodies the page shows in a frame, by part: the file name of
    // the safe copy, and whether the frame is folded away below the text it
    // is the alternative of. A body whose copy was not written is dropped.
    struct ShownHtml {
        std::string fileName;
        bool folded = false;
    };
    std::unordered_map<const tagMessagePart*, ShownHtml> shownHtml;
    // The saved images an unfolded frame shows: not shown again below it.
    std::unordered_set<std::string> imagesInFrames;
};

// Re-classifies every part by its file name's extension and gives each
// HTML part, attachment and image a unique file name in
// `attachmentDirectory` (ending in "/"; names of files waiting to be put in
// place count as taken) and a display label. An HTML body (one without a
// name of its own, not an attachment) also gets the name of its safe copy.
void prepareParts(ArchiveWriter& writer, SavedParts& saved, TMessageInfo& info, const ArchiveName& name,
                  const std::string& attachmentDirectory);

// Decodes and writes the files of the prepared parts, and the safe copies
// of HTML bodies, staged with the message's other files. A file that cannot
// be created is logged and left out (the page keeps its link); one that
// cannot be written whole, or not created for lack of space, makes the
// whole message fail.
void writeAttachmentFiles(ArchiveWriter& writer, TMessageInfo& info, SavedParts& saved,
                          const std::string& attachmentDirectory, MessageFiles& files);

// A saved HTML body with CR LF line ends, leading blank lines dropped, and
// every quoted attribute value that names a content id replaced by the
// saved file's name (with all-"cid:" ids, only "cid:" values are looked up).
std::string rewriteReferences(const char* begin, const char* end, const ContentIdMap& contentIds,
                              bool allCid);

}  // namespace tessaly
