// files.h - files and folders: existence tests, folder creation, listing,
// writing archive files with their times, and whole-file read-only mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/time.h"

namespace tessaly {

// True when `pattern` names an existing file or folder; "folder/*" (or with
// a backslash) is true when the folder has an entry other than "." and "..".
bool pathExists(const std::string& pattern);
bool isFolder(const std::string& path);

// folder + "/" + name, spelled as the folder spells it when only the letter
// case differs (files copied from Windows keep any case); as given when no
// such entry exists.
std::string findNameIgnoringCase(const std::string& folder, const std::string& name);

// Creates a folder with all missing parents; true when it exists afterwards.
bool createFolderPath(const std::string& path);
// Creates one folder level.
bool createFolder(const std::string& path);
// Removes an empty folder / a file.
bool removeFolder(const std::string& path);
bool removeFile(const std::string& path);
// Replaces `to` by `from` in one step.
bool renameFile(const std::string& from, const std::string& to);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    // A symbolic link (isFolder and size describe what it points to).
    bool isLink = false;
    uint64_t size = 0;
    FILETIME lastWriteTime;
};
// The entries of a folder other than "." and "..", in the order the file
// system gives them. False (with the error recorded) when it cannot be read.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries);

enum class CreateMode {
    Always,  // create or truncate
    New,     // fail when the file exists
};

// A file being written. Failures record the system error (errors.h).
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool create(const std::string& path, CreateMode mode);
    bool isOpen() const { return fd_ >= 0; }
    // Writes all bytes, however many calls it takes.
    bool write(const void* data, size_t length);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Sets the last-write time; the access time is left alone. Linux keeps
    // no creation time that a program could set.
    bool setTime(const FILETIME& time);
    // False when the system reports a failure on closing (a full disk may
    // only show here).
    bool close();

private:
    int fd_ = -1;
};

// The size of an existing file (opened for reading, so an unreadable file
// fails as it would when read).
bool readableFileSize(const std::string& path, uint64_t& size);

// Up to `maxBytes` from the start of a file, and the file's size.
bool readFileStart(const std::string& path, size_t maxBytes, std::string& bytes, uint64_t& size);

// Sets the last-write time of an existing file.
bool setFileTime(const std::string& path, const FILETIME& time);

// A whole file mapped read-only.
class MappedFile {
public:
    enum class Status { Ok, CannotOpen, Empty, TooBig, CannotMap };

    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Files of 4 GiB or more are refused as TooBig, empty ones as Empty.
    Status open(const std::string& path);
    void close();
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    const char* end() const { return data_ + size_; }

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace tessaly
