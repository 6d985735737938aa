// message_parts.cpp - building the part tree of an Outlook message.
#include "mapi/message_parts.h"

namespace tessaly {

MessageParts::MessageParts(tagMessagePart& root) : root_(root) {
    root_.kind = PartKind::Multipart;
    root_.firstChild = nullptr;
}

MessageParts::~MessageParts() { root_.firstChild = nullptr; }

tagMessagePart& MessageParts::add(std::string bytes, PartKind kind, BodyFormat format, std::string fileName) {
    buffers_.push_back(std::move(bytes));
    const std::string& buffer = buffers_.back();
    tagMessagePart& part = parts_.emplace_back();
    initMessagePart(part);
    part.kind = kind;
    part.bodyFormat = format;
    part.fileName = std::move(fileName);
    part.headerStart = part.bodyStart = buffer.data();
    part.bodyEnd = buffer.data() + buffer.size();
    part.parent = &root_;
    part.partNumber = static_cast<int32_t>(parts_.size());
    if (parts_.size() == 1) {
        root_.firstChild = &part;
    } else {
        parts_[parts_.size() - 2].nextSibling = &part;
    }
    return part;
}

const tagMessagePart* MessageParts::first(PartKind kind) const {
    for (const tagMessagePart& part : parts_) {
        if (part.kind == kind) return &part;
    }
    return nullptr;
}

}  // namespace tessaly
