// dbx_test_reading.h - reading whole generated DBX files in tests, and
// catching the reader's messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sources/dbx.h"

namespace tessaly::test {

inline DbxView viewOf(const std::string& bytes) {
    return {bytes.data(), static_cast<uint32_t>(bytes.size())};
}

// The DbxException message `action` raises, or "no error".
template <class Action>
std::string dbxError(Action&& action) {
    try {
        action();
    } catch (const DbxException& e) {
        return e.what();
    }
    return "no error";
}

// Reads every message of a mail folder file as the archiving job does: the
// message tree, each record, and each stored text. An offline message (no
// "message address") gives an empty text.
inline std::vector<std::string> readMailTexts(imemfile& file) {
    const DbxHeader header = readDbxHeader(file.view());
    std::vector<std::string> texts;
    if (header.messageRoot == 0 || header.messageCount == 0) return texts;
    const DbxTree tree(file, header.messageRoot, header.messageCount);
    for (uint32_t i = 0; i < tree.count(); ++i) {
        const DbxMessageInfo record(file.view(), tree.valueAt(i));
        const uint32_t address = record.valueAsInteger(kDbxMessageAddress);
        if (address == 0) {
            texts.emplace_back();
            continue;
        }
        const DbxMessage message(file, address);
        texts.emplace_back(message.view());
    }
    return texts;
}

inline std::vector<std::string> readMailTexts(const std::string& bytes) {
    imemfile file(bytes.data(), bytes.size());
    return readMailTexts(file);
}

}  // namespace tessaly::test
