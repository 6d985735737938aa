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

    // A new last part over `bytes` below `parent` (the root when null),
    // numbered from 1 in order of adding.
    tagMessagePart& add(std::string bytes, PartKind kind, BodyFormat format, std::string fileName,
                        tagMessagePart* parent = nullptr);

    size_t size() const { return count_; }
    // Gives a part added empty its bytes once they are known.
    void setBytes(tagMessagePart& part, std::string bytes) { info_.parts.setBytes(part, std::move(bytes)); }

private:
    TMessageInfo& info_;
    size_t count_ = 0;
};

}  // namespace tessaly
