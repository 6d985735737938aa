// model.cpp - initial states of the message model, the part store and the
// part iterator.
#include "message/model.h"

#include <utility>

namespace tessaly {

void initMessagePart(tagMessagePart& part) { part = tagMessagePart{}; }

bool isInsideEmbedded(const tagMessagePart& part) {
    for (const tagMessagePart* up = part.parent; up; up = up->parent) {
        if (up->kind == PartKind::Message) return true;
    }
    return false;
}

tagMessagePart& PartStore::add() { return parts_.emplace_back(); }

tagMessagePart& PartStore::addOwning(std::string bytes) {
    tagMessagePart& part = add();
    setBytes(part, std::move(bytes));
    return part;
}

void PartStore::setBytes(tagMessagePart& part, std::string bytes) {
    const std::string& buffer = buffers_.emplace_back(std::move(bytes));
    part.headerStart = part.bodyStart = buffer.data();
    part.bodyEnd = buffer.data() + buffer.size();
}

TPartIterator::TPartIterator(tagMessagePart* root) {
    if (root) work_.push_back(root);
}

tagMessagePart* TPartIterator::next() {
    if (work_.empty()) return nullptr;
    tagMessagePart* part = work_.front();
    work_.pop_front();
    if (part->firstChild) work_.push_back(part->firstChild);
    if (part->nextSibling) work_.push_back(part->nextSibling);
    return part;
}

}  // namespace tessaly
