// store_fixtures.h - mail stores made in a temporary home for the store
// discovery tests: mailbox files, Maildir and MH folders, and the folder
// lists read back as indented text.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sources/mail_stores.h"
#include "support/temp_dir.h"

namespace tessaly::test {

// Writes a file, making the folders above it.
inline void put(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, bytes);
}

inline void makeFolder(const std::string& path) { std::filesystem::create_directories(path); }

// A mailbox of `count` messages; the first `expunged` carry Thunderbird's
// Expunged flag.
inline std::string mailbox(int count, int expunged = 0) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "From - Thu Sep  5 14:30:07 2002\n";
        text += i < expunged ? "X-Mozilla-Status: 0009\n" : "X-Mozilla-Status: 0001\n";
        text += "Subject: message " + std::to_string(i) + "\n\nbody\n\n";
    }
    return text;
}

// A Maildir folder with `fresh` messages in new/ and `seen` in cur/ (with
// flag suffixes).
inline void makeMaildir(const std::string& path, int fresh, int seen = 0) {
    for (const char* sub : {"/cur", "/new", "/tmp"}) makeFolder(path + sub);
    for (int i = 0; i < fresh; ++i) {
        writeFile(path + "/new/17000000" + std::to_string(10 + i) + ".M1P2.host", "Subject: new\n\nx\n");
    }
    for (int i = 0; i < seen; ++i) {
        writeFile(path + "/cur/16000000" + std::to_string(10 + i) + ".M1P2.host,S=20:2,S", "Subject: seen\n\nx\n");
    }
}

// An MH folder with the numbered messages `numbers` and the mark file
// `mark` (".mh_sequences", ".claws_mark" ...) unless empty.
inline void makeMh(const std::string& path, const std::vector<int>& numbers, const std::string& mark = "") {
    makeFolder(path);
    for (const int n : numbers) writeFile(path + "/" + std::to_string(n), "Subject: mh\n\nx\n");
    if (!mark.empty()) writeFile(path + "/" + mark, "");
}

inline const char* storageText(FolderStorage storage) {
    switch (storage) {
        case FolderStorage::File: return "file";
        case FolderStorage::Maildir: return "maildir";
        case FolderStorage::MH: return "mh";
        case FolderStorage::None: return "-";
    }
    return "?";
}

// One line a folder: indented by depth, name, storage and message count
// ("  Inbox file 2"; a heading "Local Folders -").
inline std::vector<std::string> outline(const std::vector<StoreFolder>& folders) {
    std::vector<std::string> lines;
    for (const StoreFolder& f : folders) {
        std::string line = std::string(static_cast<size_t>(f.entry.depth) * 2, ' ') + f.entry.name + " " +
                           storageText(f.entry.storage);
        if (f.entry.storage != FolderStorage::None) line += " " + std::to_string(f.messages);
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> outlineAt(const std::string& path) {
    const std::optional<MailStore> store = storeAt(path);
    return store ? outline(readStoreFolders(*store)) : std::vector<std::string>{"(no store)"};
}

// The folder whose folderPath is `path`, or null.
inline const StoreFolder* folderAt(const std::vector<StoreFolder>& folders, const std::string& path) {
    for (const StoreFolder& f : folders) {
        if (f.entry.folderPath == path) return &f;
    }
    return nullptr;
}

}  // namespace tessaly::test
