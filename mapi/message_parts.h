// message_parts.h - the part tree of one Outlook message: parts under one
// root, each over a buffer of its own that lives as long as the tree.
#pragma once

#include <deque>
#include <string>

#include "message/model.h"

namespace tessaly {

class MessageParts {
public:
    // Parts are hung below `root`, which becomes a multipart.
    explicit MessageParts(tagMessagePart& root);
    // Unhooks the parts from the root.
    ~MessageParts();
    MessageParts(const MessageParts&) = delete;
    MessageParts& operator=(const MessageParts&) = delete;

    // A new last part over `bytes`, numbered from 1 in order of adding.
    tagMessagePart& add(std::string bytes, PartKind kind, BodyFormat format, std::string fileName);

    size_t size() const { return parts_.size(); }
    // The first part of that kind, or null.
    const tagMessagePart* first(PartKind kind) const;

private:
    tagMessagePart& root_;
    std::deque<std::string> buffers_;
    std::deque<tagMessagePart> parts_;
};

}  // namespace tessaly
