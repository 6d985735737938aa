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
// How many times this process has asked whether a name exists (pathExists,
// nameInUse): tests bound the looks at the disk that choosing names takes.
uint64_t nameLookups();
bool isFolder(const std::string& path);
// True when `path` itself is a symbolic link.
bool isLink(const std::string& path);
// The path with every link resolved (realpath); the path itself when that
// fails.
std::string canonicalPath(const std::string& path);
// The path made absolute (from the current folder) and normalised ("." and
// ".." resolved in the text), without a trailing "/"; the path itself when
// that fails.
std::string absolutePath(const std::string& path);

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
// True when a file or folder of that name exists. Below a confined root
// (confined_root.h) a link does not count: it is no file of the archive,
// and a write there meets it and is refused.
bool nameInUse(const std::string& path);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    // A regular file (not a folder, FIFO, socket or device).
    bool isRegularFile = false;
    // A symbolic link (isFolder and size describe what it points to).
    bool isLink = false;
    uint64_t size = 0;
    FILETIME lastWriteTime;
};
// The entries of a folder other than "." and "..", in the order the file
// system gives them. False (with the error recorded) when it cannot be read.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries);
// The names in `folder` that begin with `prefix`, without a look at each
// entry: a folder of a million pages costs one pass and no memory for them.
// Links are left out: such a name is never ours to clear.
bool listNamesStarting(const std::string& folder, std::string_view prefix, std::vector<std::string>& names);

enum class CreateMode {
    Always,  // create or truncate
    New,     // fail when the file exists
};

// A file being written. Failures record the system error (errors.h).
// Below a confined root (confined_root.h) the writes, renames and removals
// of this file and the functions around it never go through a link: they
// fail as ELOOP (or EXDEV for a path that would lead out) and leave it.
//
// A staged file (createStaged) is written under a temporary name in the
// folder of its final path and gets that path only through commit (or
// complete, syncFileSystems and putInPlace), once every byte is on disk. One
// that is closed or destroyed before is removed, so a failed or interrupted
// write never leaves a partial file under the final name.
class TemporaryPool;

// Creates a staged file of a fresh temporary name in `folder` ("" or ending
// in "/"): its descriptor and path, or -1 with the error recorded.
int openNewTemporary(const std::string& folder, std::string& temporaryPath);

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool create(const std::string& path, CreateMode mode);
    // Under a temporary name beside `path`: one `pool` made ahead when it
    // has one ready, else a new one.
    bool createStaged(const std::string& path, TemporaryPool* pool = nullptr);
    bool isOpen() const { return fd_ >= 0; }
    // Writes all bytes, however many calls it takes. Pieces of less than
    // kWriteBuffer bytes are gathered and reach the file with the next
    // large piece, setTime, close or complete (which then report a
    // failure). A staged file that failed a write will not complete.
    bool write(const void* data, size_t length);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Sets the last-write time; the access time is left alone. Linux keeps
    // no creation time that a program could set.
    bool setTime(const FILETIME& time);
    // Attaches a tag (an extended attribute "user.tessaly.<name>") to the
    // file. File systems without them (FAT, some network shares) refuse it:
    // false, nothing else happens.
    bool setTag(std::string_view name, std::string_view value);
    // False when the system reports a failure on closing (a full disk may
    // only show here). Closing a staged file that is not in place removes it.
    bool close();

    // Staged files: closes the file, keeping its temporary name; its bytes
    // reach the disk with the next syncFileSystems. False (and the file
    // removed) when a write failed; the error is that write's.
    bool complete() { return finish(false); }
    // Renames a completed staged file to its final path: replacing a file
    // there (Always), or only when there is none (New).
    bool putInPlace(CreateMode mode);
    // Flushes this file's bytes to disk, closes it and puts it in place.
    bool commit(CreateMode mode) { return finish(true) && putInPlace(mode); }
    // Removes a staged file that is not in place.
    void discard();
    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_; }

    // Bytes written since the file was created.
    uint64_t bytesWritten() const { return written_; }

private:
    static constexpr size_t kWriteBuffer = 4096;

    bool finish(bool sync);
    bool writeAll(const char* bytes, size_t length);
    bool flush();
    void dropBuffer();

    int fd_ = -1;
    uint64_t written_ = 0;
    std::string buffer_;  // written, not yet handed to the system
    std::string path_;
    std::string temporary_;  // staged and not in place
    int writeError_ = 0;     // the first failed write of a staged file
    // Set again once in place, where renames lose the time (setTime).
    bool timeAgainInPlace_ = false;
    FILETIME time_{};
};

// The tag `name` of the file at `path` (OutputFile::setTag), or empty when
// it has none or the file system keeps none.
std::string fileTag(const std::string& path, std::string_view name);
// Appends `text` to the file at `path`, creating it when missing.
bool appendToFile(const std::string& path, std::string_view text);

// Sets the tag on an existing file; false when that cannot be done.
bool setFileTag(const std::string& path, std::string_view name, std::string_view value);

// Whether the file system that holds `path` has (next to) no room left:
// under 64 KiB free, or no file left to make where it counts them.
bool fileSystemFull(const std::string& path);

// Writes every file of the file systems that hold `files` to disk: one wait
// for the bytes of many completed staged files, instead of one per file.
bool syncFileSystems(const std::vector<std::string>& files);

// What the names of staged files begin with.
inline constexpr std::string_view kStagedFilePrefix = ".tessaly-";
// Staged files are named ".tessaly-<process id>-<number>.tmp". No archive
// file name has that form: those all carry the date stamp's apostrophes.
// True for such a name with `suffix` in place of ".tmp" whose process is
// this one or no longer runs.
bool isStaleTemporaryName(std::string_view name, std::string_view suffix = ".tmp");
// Removes the temporary files of staged writes that were interrupted from
// a folder: those of this process (call it when no staged file of this
// process is open there) and of processes that no longer run.
void removeStaleTemporaries(const std::string& folder);

// The size of an existing file (opened for reading, so an unreadable file
// fails as it would when read).
bool readableFileSize(const std::string& path, uint64_t& size);

// Up to `maxBytes` from the start of a file, and the file's size.
bool readFileStart(const std::string& path, size_t maxBytes, std::string& bytes, uint64_t& size);

// Sets the last-write time of an existing file.
bool setFileTime(const std::string& path, const FILETIME& time);

// A whole file mapped read-only. Reads past an end that another program
// cut off while it was mapped give zeros rather than ending the process.
class MappedFile {
public:
    enum class Status { Ok, CannotOpen, Empty, TooBig, CannotMap };

    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The size limit of formats with 32-bit offsets (.dbx files).
    static constexpr uint64_t k32BitLimit = uint64_t{1} << 32;

    // Files of `sizeLimit` bytes or more are refused as TooBig, empty ones
    // as Empty.
    Status open(const std::string& path, uint64_t sizeLimit = k32BitLimit);
    void close();
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    const char* end() const { return data_ + size_; }
    // True when someone else shrank the file since it was mapped: the lost
    // bytes read as zeros (read_faults.h).
    bool truncatedWhileMapped() const;
    // Gives back the memory of the whole pages within [begin, end), bytes
    // the reader has passed: they are read from the file again if touched
    // once more. Keeps the memory of a long scan flat in the file's size.
    void release(const char* begin, const char* end) const;

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    int fd_ = -1;
    int guard_ = -1;
};

// Gives back the memory of a mapped file's pages as a reader that never
// looks back passes them, a step of 64 MiB at a time, so that a scan's
// memory stays flat however big the file.
class PassedPages {
public:
    explicit PassedPages(const MappedFile& file) : file_(file), released_(file.data()) {}
    // The reader is at `at`: the bytes before it are passed.
    void passed(const char* at) {
        if (at <= released_ || static_cast<size_t>(at - released_) < kStep) return;
        file_.release(released_, at);
        released_ = at;
    }

    static constexpr size_t kStep = size_t{64} << 20;

private:
    const MappedFile& file_;
    const char* released_;
};

}  // namespace tessaly
