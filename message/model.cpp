// model.cpp - initial states of the message model, the part iterator and
// freeing a part tree.
#include "message/model.h"

#include <vector>

namespace tessaly {

void initMessageInfo(TMessageInfo& info) { info = TMessageInfo{}; }

void initMessagePart(tagMessagePart& part) { part = tagMessagePart{}; }

void freePartTree(tagMessagePart& root) {
    std::vector<tagMessagePart*> pending;
    if (root.firstChild) pending.push_back(root.firstChild);
    while (!pending.empty()) {
        tagMessagePart* part = pending.back();
        pending.pop_back();
        if (part->firstChild) pending.push_back(part->firstChild);
        if (part->nextSibling) pending.push_back(part->nextSibling);
        delete part;
    }
    root.firstChild = nullptr;
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
