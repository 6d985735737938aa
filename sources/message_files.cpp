// message_files.cpp - listing the message files of Maildir and MH folders.
#include "sources/message_files.h"

#include <algorithm>
#include <string_view>

#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), isDigit);
}

// The digits of `number` without leading zeros ("" for zero).
std::string_view significant(std::string_view number) {
    const size_t first = number.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : number.substr(first);
}

// Decimal digit strings compared by value, however long they are.
int compareNumbers(std::string_view a, std::string_view b) {
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return (c > 0) - (c < 0);
}

bool isPositiveNumber(std::string_view name) { return allDigits(name) && !significant(name).empty(); }

// folder + "/" + name, with one "/" between them.
std::string joinPath(const std::string& folder, std::string_view name) {
    const bool slashed = !folder.empty() && folder.back() == '/';
    return folder + (slashed ? "" : "/") + std::string(name);
}

// What a Maildir name sorts by. Names begin with the delivery time in
// seconds: "1700000000.M123456P789.host,S=1234:2,S" carries the
// microseconds after the "M" of its second field; the older
// "1700000000.789_1.host" does not.
struct DeliveryKey {
    std::string seconds;       // decimal digits
    std::string microseconds;  // decimal digits, "0" when the name has none
};

DeliveryKey deliveryKey(std::string_view name, const FILETIME& fileTime) {
    DeliveryKey key;
    key.microseconds = "0";
    size_t digits = 0;
    while (digits < name.size() && isDigit(name[digits])) ++digits;
    if (digits == 0 || (digits < name.size() && name[digits] != '.')) {
        // No delivery time in the name: the file's own time stands in.
        key.seconds = std::to_string(std::max<int64_t>(0, fileTimeToUnix(fileTime)));
        return key;
    }
    key.seconds = std::string(name.substr(0, digits));
    if (digits + 1 < name.size() && name[digits + 1] == 'M') {
        size_t end = digits + 2;
        while (end < name.size() && isDigit(name[end])) ++end;
        if (end > digits + 2) key.microseconds = std::string(name.substr(digits + 2, end - digits - 2));
    }
    return key;
}

struct Listed {
    MessageFile file;
    std::string name;
    DeliveryKey key;
};

// The files of `folder` (symbolic links to files count, links to folders
// and dot files do not); false when it cannot be read.
bool listFiles(const std::string& folder, std::vector<FolderEntry>& files) {
    std::vector<FolderEntry> entries;
    files.clear();
    if (!listFolder(folder, entries)) return false;
    for (FolderEntry& entry : entries) {
        if (!entry.isRegularFile || entry.name.empty() || entry.name[0] == '.') continue;
        files.push_back(std::move(entry));
    }
    return true;
}

// Whether the Maildir flags after ":2," hold "T": deleted in the mail
// program and waiting for it to expunge the folder.
bool hasTrashedFlag(std::string_view name) {
    const size_t info = name.rfind(":2,");
    return info != std::string_view::npos && name.find('T', info + 3) != std::string_view::npos;
}

}  // namespace

bool isMaildirFolder(const std::string& dir) {
    return isFolder(joinPath(dir, "cur")) || isFolder(joinPath(dir, "new"));
}

bool isMhFolder(const std::string& dir) {
    std::vector<FolderEntry> entries;
    if (isMaildirFolder(dir) || !listFolder(dir, entries)) return false;
    return std::any_of(entries.begin(), entries.end(), [](const FolderEntry& e) {
        return !e.isFolder && (isPositiveNumber(e.name) || e.name == ".mh_sequences");
    });
}

std::vector<MessageFile> maildirMessageFiles(const std::string& dir) {
    std::vector<Listed> listed;
    for (const char* sub : {"new", "cur"}) {
        const std::string folder = joinPath(dir, sub);
        std::vector<FolderEntry> files;
        if (!listFiles(folder, files)) continue;
        for (const FolderEntry& entry : files) {
            Listed item;
            item.file.path = joinPath(folder, entry.name);
            item.file.size = entry.size;
            item.file.trashed = hasTrashedFlag(entry.name);
            item.key = deliveryKey(entry.name, entry.lastWriteTime);
            item.name = entry.name;
            listed.push_back(std::move(item));
        }
    }
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        if (const int c = compareNumbers(a.key.seconds, b.key.seconds)) return c < 0;
        if (const int c = compareNumbers(a.key.microseconds, b.key.microseconds)) return c < 0;
        if (a.name != b.name) return a.name < b.name;
        return a.file.path < b.file.path;  // the same name in new/ and cur/
    });
    std::vector<MessageFile> result;
    result.reserve(listed.size());
    for (Listed& item : listed) result.push_back(std::move(item.file));
    return result;
}

std::vector<MessageFile> mhMessageFiles(const std::string& dir) {
    std::vector<FolderEntry> files;
    if (!listFiles(dir, files)) return {};
    std::erase_if(files, [](const FolderEntry& e) { return !isPositiveNumber(e.name); });
    std::sort(files.begin(), files.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (const int c = compareNumbers(a.name, b.name)) return c < 0;
        return a.name < b.name;  // "7" and "007"
    });
    std::vector<MessageFile> result;
    result.reserve(files.size());
    for (const FolderEntry& entry : files) result.push_back({joinPath(dir, entry.name), entry.size});
    return result;
}

std::vector<MessageFile> folderMessageFiles(const TDbxFolderInfo& entry) {
    switch (entry.storage) {
        case FolderStorage::Maildir: return maildirMessageFiles(entry.directory);
        case FolderStorage::MH: return mhMessageFiles(entry.directory);
        default: return {};
    }
}

}  // namespace tessaly
