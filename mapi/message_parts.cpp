// message_parts.cpp - building the part tree of an Outlook message.
#include "mapi/message_parts.h"

#include <utility>

namespace tessaly {

MessageParts::MessageParts(TMessageInfo& info) : info_(info) {
    info_.rootPart.kind = PartKind::Multipart;
    info_.rootPart.firstChild = nullptr;
}

tagMessagePart& MessageParts::add(std::string bytes, PartKind kind, BodyFormat format, std::string fileName,
                                  tagMessagePart* parent) {
    if (!parent) parent = &info_.rootPart;
    tagMessagePart& part = info_.parts.addOwning(std::move(bytes));
    part.kind = kind;
    part.bodyFormat = format;
    part.fileName = std::move(fileName);
    part.parent = parent;
    part.partNumber = static_cast<int32_t>(++count_);
    tagMessagePart** slot = &parent->firstChild;
    while (*slot) slot = &(*slot)->nextSibling;
    *slot = &part;
    return part;
}

}  // namespace tessaly
