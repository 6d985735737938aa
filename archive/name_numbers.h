// name_numbers.h - what a run has learnt about names taken with ";2",
// ";3" ... so that many files of one name cost a look or two at the disk
// each, instead of one look for every number already taken.
//
// Numbers once taken stay taken for the run: files are only added. (A file
// that could not be made frees its name again; a later file then takes a
// higher number than a search from 1 would give, and nothing is lost.) Only
// names that needed a number are remembered, so a run of distinct names
// keeps nothing here.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace tessaly {

// The taken numbers of one page or EML name. Every number below `next` is
// taken; of those, the lowest held by each content key and the lowest
// whose holder has no key (it counts as any message) are kept.
struct NameGroup {
    uint32_t next = 1;
    std::unordered_map<std::string, uint32_t> lowestByKey;
    uint32_t lowestWithoutKey = 0;  // 0: none

    // The lowest number below `next` that counts as holding the message
    // with `contentKey` (any message when it is empty); 0 when none does.
    uint32_t lowestHolding(const std::string& contentKey) const;
    // Number `next` is taken by a message with `key`.
    void addNext(const std::string& key);
};

class NameNumbers {
public:
    // Attachment names: the first number worth trying for the file whose
    // unnumbered path is `first` (1 unless lower ones were found taken),
    // and the number a file of it got.
    uint32_t firstToTry(const std::string& first) const;
    void took(const std::string& first, uint32_t number);

    // Page and EML names: the group of the unnumbered path `first`, null
    // when no message of it needed a number yet; group() makes it.
    NameGroup* findGroup(const std::string& first);
    NameGroup& group(const std::string& first) { return groups_[first]; }

    // Forgets everything: the folder is closed.
    void clear();

private:
    std::unordered_map<std::string, uint32_t> next_;
    std::unordered_map<std::string, NameGroup> groups_;
};

}  // namespace tessaly
