// message_parts.h - the part tree of one Outlook message: parts under its
// root, each over bytes of its own, all owned by the message.
#pragma once

#include <string>

#include "message/model.h"

namespace tessaly {

class MessageParts {
public:
    // Parts are hung below the message's root, which becomes a multipart.
    explicit MessageParts(TMessageInfo& info);
    MessageParts(const MessageParts&) = delete;
    MessageParts& operator=(const MessageParts&) = delete;

    // A new last part over `bytes`, numbered from 1 in order of adding.
    tagMessagePart& add(std::string bytes, PartKind kind, BodyFormat format, std::string fileName);

    size_t size() const { return count_; }

private:
    TMessageInfo& info_;
    tagMessagePart* last_ = nullptr;
    size_t count_ = 0;
};

}  // namespace tessaly
