// files.cpp - files and folders over POSIX calls.
#include "platform/files.h"

#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/ascii.h"
#include "platform/confined_root.h"
#include "platform/errors.h"
#include "platform/read_faults.h"
#include "platform/temporary_pool.h"

namespace tessaly {

namespace {

bool fail() {
    setLastSystemError(errno);
    return false;
}

// A path with a NUL byte would be cut short by every system call; it names
// nothing.
bool refuseNul(const std::string& path) {
    if (path.find('\0') == std::string::npos) return false;
    setLastSystemError(EINVAL);
    return true;
}

// Opens a regular file for reading; -1 (with the error recorded) for
// anything else. Non-blocking, so that a FIFO in place of a mail file
// cannot hang the open; a folder fails as EISDIR.
int openRegularFile(const std::string& path, struct stat& st) {
    if (refuseNul(path)) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(), -1;
    if (fstat(fd, &st) != 0) {
        fail();
    } else if (!S_ISREG(st.st_mode)) {
        setLastSystemError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

// For file systems with neither that flag nor hard links (FAT and exFAT
// through FUSE): a look, then the rename. Only another program writing the
// same name between the two could be replaced.
int renameUnlessTaken(int fromFolder, const char* fromName, int toFolder, const char* toName) {
    struct stat st{};
    if (fstatat(toFolder, toName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT) return -1;
    return renameat(fromFolder, fromName, toFolder, toName);
}

// Whether a new modification time reached the file (`statResult` and `st`
// from a stat after setting it). Some FUSE drivers (fusefat, exfat-fuse)
// ignore a modification time that comes without an access time; they get
// both. FAT keeps even seconds only: a time within two seconds was taken.
bool timeTaken(int statResult, const struct stat& st, const timespec& wanted) {
    if (statResult != 0) return true;
    const int64_t difference = static_cast<int64_t>(st.st_mtim.tv_sec) - static_cast<int64_t>(wanted.tv_sec);
    return difference > -2 && difference < 2;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

constexpr std::string_view kTemporaryPrefix = kStagedFilePrefix;

// A fresh name for a staged file in `folder` ("" or ending in "/").
std::string temporaryPathIn(const std::string& folder) {
    static std::atomic<uint32_t> counter{std::random_device{}()};
    static const std::string process = std::to_string(getpid());
    return folder + std::string(kTemporaryPrefix) + process + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
}

// The folder part of `path`: "" or ending in "/".
std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A link met where a file of ours would go is never followed nor replaced.
bool isLinkAt(int folder, const char* name) {
    struct stat st{};
    return fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Removes the entry at `path` (a folder with AT_REMOVEDIR); below a
// confined root a link there is refused (ELOOP) when `sparingLinks`.
bool unlinkEntry(const std::string& path, int flags, bool sparingLinks) {
    if (refuseNul(path)) return false;
    ConfinedEntry entry;
    if (!locateEntry(path, entry)) return false;
    if (entry.confined && sparingLinks && isLinkAt(entry.folder, entry.name.c_str())) {
        setLastSystemError(ELOOP);
        return false;
    }
    return unlinkat(entry.folder, entry.name.c_str(), flags) == 0 || fail();
}

// Opens the file at `path` (O_NOFOLLOW below a confined root).
int openEntry(const std::string& path, int flags, mode_t mode = 0644) {
    if (refuseNul(path)) return -1;
    ConfinedEntry entry;
    if (!locateEntry(path, entry)) return -1;
    if (entry.confined) flags |= O_NOFOLLOW;
    const int fd = ::openat(entry.folder, entry.name.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0) fail();
    return fd;
}

timespec toTimespec(const FILETIME& time) {
    const uint64_t value = fileTimeValue(time);
    timespec ts{};
    ts.tv_sec = fileTimeToUnix(time);
    ts.tv_nsec = static_cast<long>(value % 10'000'000) * 100;
    return ts;
}

}  // namespace

namespace {
std::atomic<uint64_t> nameLookupCount{0};
}  // namespace

uint64_t nameLookups() { return nameLookupCount.load(std::memory_order_relaxed); }

bool pathExists(const std::string& pattern) {
    nameLookupCount.fetch_add(1, std::memory_order_relaxed);
    if (refuseNul(pattern)) return false;
    if (pattern.size() >= 2 && pattern.back() == '*' && isSeparator(pattern[pattern.size() - 2])) {
        DIR* dir = opendir(pattern.substr(0, pattern.size() - 2).c_str());
        if (!dir) return fail();
        bool found = false;
        while (dirent* entry = readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                found = true;
                break;
            }
        }
        closedir(dir);
        return found;
    }
    struct stat st{};
    if (pattern.empty() || stat(pattern.c_str(), &st) != 0) return fail();
    return true;
}

bool isFolder(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isLink(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string canonicalPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string result = resolved;
    free(resolved);
    return result;
}

std::string absolutePath(const std::string& path) {
    std::error_code ignored;
    std::string full = std::filesystem::absolute(path, ignored).lexically_normal().string();
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    return full.empty() ? path : full;
}

std::string findNameIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = folder + "/" + name;
    struct stat st{};
    if (stat(exact.c_str(), &st) == 0) return exact;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return exact;
    std::string found = exact;
    while (dirent* entry = readdir(dir)) {
        if (equalsIgnoringCase(entry->d_name, name)) {
            found = folder + "/" + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

bool createFolder(const std::string& path) {
    if (refuseNul(path)) return false;
    ConfinedEntry entry;
    if (!locateEntry(path, entry)) return false;
    if (mkdirat(entry.folder, entry.name.c_str(), 0755) == 0) return true;
    if (errno != EEXIST) return fail();
    if (!entry.confined) return isFolder(path) || (setLastSystemError(EEXIST), false);
    struct stat st{};
    if (fstatat(entry.folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return fail();
    if (S_ISDIR(st.st_mode)) return true;
    setLastSystemError(S_ISLNK(st.st_mode) ? ELOOP : EEXIST);
    return false;
}

bool createFolderPath(const std::string& path) {
    if (path.empty()) return false;
    // Below a confined root an existing folder only counts when no link
    // leads to it: each level is made or checked.
    const bool confined = isConfinedPath(path);
    if (!confined && isFolder(path)) return true;
    // Create each missing level from the top down.
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            const std::string prefix = path.substr(0, i);
            const bool made = confined && isConfinedPath(prefix) ? createFolder(prefix)
                                                                 : isFolder(prefix) || createFolder(prefix);
            if (!made) {
                // A file in the way "exists": what it says is that it is no folder.
                if (lastSystemError() == EEXIST) setLastSystemError(ENOTDIR);
                return false;
            }
        }
    }
    return true;
}

bool removeFolder(const std::string& path) { return unlinkEntry(path, AT_REMOVEDIR, false); }

bool removeFile(const std::string& path) { return unlinkEntry(path, 0, true); }

bool renameFile(const std::string& from, const std::string& to) {
    if (refuseNul(from) || refuseNul(to)) return false;
    ConfinedEntry source;
    if (!locateEntry(from, source)) return false;
    // Two folders may be located before the first one's descriptor goes.
    ConfinedEntry target;
    if (!locateEntry(to, target)) return false;
    if ((source.confined && isLinkAt(source.folder, source.name.c_str())) ||
        (target.confined && isLinkAt(target.folder, target.name.c_str()))) {
        setLastSystemError(ELOOP);
        return false;
    }
    return renameat(source.folder, source.name.c_str(), target.folder, target.name.c_str()) == 0 || fail();
}

bool nameInUse(const std::string& path) {
    nameLookupCount.fetch_add(1, std::memory_order_relaxed);
    if (refuseNul(path)) return false;
    ConfinedEntry entry;
    if (!locateEntry(path, entry)) return false;
    struct stat st{};
    if (!entry.confined) return stat(path.c_str(), &st) == 0;
    return fstatat(entry.folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode);
}

bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return fail();
    const int dirFd = dirfd(dir);
    while (dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st{};
        if (fstatat(dirFd, entry->d_name, &st, 0) != 0) continue;  // vanished or a dangling link
        struct stat own{};
        FolderEntry item;
        item.isLink = fstatat(dirFd, entry->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
        item.name = entry->d_name;
        item.isFolder = S_ISDIR(st.st_mode);
        item.isRegularFile = S_ISREG(st.st_mode);
        item.size = static_cast<uint64_t>(st.st_size);
        item.lastWriteTime = unixToFileTime(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
        entries.push_back(std::move(item));
    }
    closedir(dir);
    return true;
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::create(const std::string& path, CreateMode mode) {
    if (fd_ >= 0 || !temporary_.empty()) close();
    path_ = path;
    written_ = 0;
    timeAgainInPlace_ = false;
    fd_ = openEntry(path, O_WRONLY | O_CREAT | (mode == CreateMode::New ? O_EXCL : O_TRUNC));
    return fd_ >= 0;
}

int openNewTemporary(const std::string& folder, std::string& temporaryPath) {
    // A name left by an earlier process of the same id is simply skipped.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = temporaryPathIn(folder);
        const int fd = openEntry(temporary, O_WRONLY | O_CREAT | O_EXCL);
        if (fd >= 0) {
            temporaryPath = std::move(temporary);
            return fd;
        }
        if (errno != EEXIST) break;
    }
    return fail(), -1;
}

bool OutputFile::createStaged(const std::string& path, TemporaryPool* pool) {
    if (fd_ >= 0 || !temporary_.empty()) close();
    path_ = path;
    writeError_ = 0;
    written_ = 0;
    timeAgainInPlace_ = false;
    if (refuseNul(path)) return false;
    const std::string folder = folderOf(path);
    if (pool && pool->take(folder, fd_, temporary_)) return true;
    fd_ = openNewTemporary(folder, temporary_);
    return fd_ >= 0;
}

bool OutputFile::writeAll(const char* p, size_t length) {
    while (length > 0) {
        const ssize_t done = ::write(fd_, p, length);
        if (done < 0) {
            if (errno == EINTR) continue;
            if (writeError_ == 0) writeError_ = errno;
            return fail();
        }
        p += done;
        length -= static_cast<size_t>(done);
    }
    return true;
}

// Pages are written in many small pieces: they are gathered here so that a
// file takes a write call or two, not one per piece.
bool OutputFile::write(const void* data, size_t length) {
    const char* bytes = static_cast<const char*>(data);
    written_ += length;
    if (fd_ < 0) return writeAll(bytes, length);  // records why it cannot
    if (buffer_.size() + length > kWriteBuffer) {
        if (!flush()) return false;
        if (length >= kWriteBuffer) return writeAll(bytes, length);
    }
    if (buffer_.capacity() < kWriteBuffer) buffer_.reserve(kWriteBuffer);
    buffer_.append(bytes, length);
    return true;
}

bool OutputFile::flush() {
    if (buffer_.empty()) return true;
    const bool ok = writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

void OutputFile::dropBuffer() { std::string().swap(buffer_); }

bool OutputFile::setTime(const FILETIME& time) {
    // Bytes written after the time was set would set it again.
    flush();
    timespec times[2] = {{0, UTIME_OMIT}, toTimespec(time)};
    if (futimens(fd_, times) != 0) return fail();
    struct stat st{};
    if (!timeTaken(fstat(fd_, &st), st, times[1])) {
        times[0] = st.st_atim;
        if (futimens(fd_, times) != 0) return fail();
        // Such a driver (fusefat) also dates a renamed file anew.
        timeAgainInPlace_ = true;
        time_ = time;
    }
    return true;
}

namespace {

std::string tagAttribute(std::string_view name) { return "user.tessaly." + std::string(name); }

}  // namespace

bool OutputFile::setTag(std::string_view name, std::string_view value) {
    return fsetxattr(fd_, tagAttribute(name).c_str(), value.data(), value.size(), 0) == 0 || fail();
}

std::string fileTag(const std::string& path, std::string_view name) {
    // A tag is a short text; anything longer is no tag of ours.
    char value[256];
    const ssize_t size = getxattr(path.c_str(), tagAttribute(name).c_str(), value, sizeof value);
    return size > 0 ? std::string(value, static_cast<size_t>(size)) : std::string();
}

bool appendToFile(const std::string& path, std::string_view text) {
    const int fd = openEntry(path, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            const int error = errno;
            ::close(fd);
            setLastSystemError(error);
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return ::close(fd) == 0 || fail();
}

bool setFileTag(const std::string& path, std::string_view name, std::string_view value) {
    if (!isConfinedPath(path)) {
        return setxattr(path.c_str(), tagAttribute(name).c_str(), value.data(), value.size(), 0) == 0 || fail();
    }
    // Through the file itself, opened without following a link.
    const int fd = openEntry(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    const bool ok = fsetxattr(fd, tagAttribute(name).c_str(), value.data(), value.size(), 0) == 0 || fail();
    ::close(fd);
    return ok;
}

bool OutputFile::close() {
    if (!temporary_.empty()) {
        discard();
        return true;
    }
    if (fd_ < 0) return true;
    const bool flushed = flush();
    dropBuffer();
    const int result = ::close(fd_);
    fd_ = -1;
    return (result == 0 || fail()) && flushed;
}

bool OutputFile::finish(bool sync) {
    if (temporary_.empty()) return false;
    if (fd_ < 0) return true;
    flush();
    dropBuffer();
    int error = writeError_;
    // On disk before the rename, so that even a power cut cannot leave the
    // final name with less than the whole file.
    if (sync && error == 0 && fdatasync(fd_) != 0) error = errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error != 0) {
        discard();
        setLastSystemError(error);
        return false;
    }
    return true;
}

bool OutputFile::putInPlace(CreateMode mode) {
    if (temporary_.empty() || fd_ >= 0) return false;
    ConfinedEntry from;
    ConfinedEntry to;
    if (!locateEntry(temporary_, from) || !locateEntry(path_, to)) {
        const int error = lastSystemError();
        discard();
        setLastSystemError(error);
        return false;
    }
    const char* fromName = from.name.c_str();
    const char* toName = to.name.c_str();
    int result = 0;
    if (mode == CreateMode::Always && !to.confined) {
        result = ::rename(temporary_.c_str(), path_.c_str());
    } else {
        // Below a confined root Always too tries the name as a new one
        // first: the usual case, and no look at the name is needed.
        result = renameat2(from.folder, fromName, to.folder, toName, RENAME_NOREPLACE);
        const bool noFlag = result != 0 && (errno == EINVAL || errno == ENOSYS);
        if (mode == CreateMode::Always && result != 0 && (errno == EEXIST || noFlag)) {
            // A file there is replaced; a link there is left alone.
            if (isLinkAt(to.folder, toName)) {
                errno = ELOOP;
            } else {
                result = renameat(from.folder, fromName, to.folder, toName);
            }
        } else if (noFlag) {
            // File systems without that flag: a hard link also fails on an
            // existing name; without hard links (FAT, exFAT) the name is
            // looked at first.
            result = linkat(from.folder, fromName, to.folder, toName, 0);
            if (result == 0) {
                unlinkat(from.folder, fromName, 0);
            } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
                result = renameUnlessTaken(from.folder, fromName, to.folder, toName);
            }
        }
    }
    if (result != 0) {
        const int error = errno;
        discard();
        setLastSystemError(error);
        return false;
    }
    temporary_.clear();
    if (timeAgainInPlace_) setFileTime(path_, time_);
    return true;
}

void OutputFile::discard() {
    dropBuffer();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlinkEntry(temporary_, 0, false);
    temporary_.clear();
}

bool fileSystemFull(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) return false;
    constexpr uint64_t kNearlyNothing = uint64_t{64} << 10;
    // FAT counts no files (f_files is 0): only its space tells.
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize < kNearlyNothing ||
           (info.f_files > 0 && info.f_favail == 0);
}

bool syncFileSystems(const std::vector<std::string>& files) {
    std::vector<dev_t> synced;
    std::vector<std::string_view> folders;  // looked at already
    for (const std::string& path : files) {
        // The files of a batch lie in a folder or two: one look at each.
        const std::string_view folder = std::string_view(path).substr(0, path.find_last_of('/') + 1);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
        folders.push_back(folder);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return fail();
        if (std::find(synced.begin(), synced.end(), info.st_dev) != synced.end()) continue;
        // A file of our own: readable even where its folder is not.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return fail();
        const int error = syncfs(fd) == 0 ? 0 : errno;
        ::close(fd);
        if (error != 0) {
            setLastSystemError(error);
            return false;
        }
        synced.push_back(info.st_dev);
    }
    return true;
}

bool isStaleTemporaryName(std::string_view name, std::string_view suffix) {
    if (name.size() <= kTemporaryPrefix.size() + suffix.size() ||
        name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return false;
    }
    // Exactly "<pid>-<number>" between prefix and suffix: a saved file of
    // a similar name ("<pid>-<number> - <stamp>") is no temporary.
    const std::string_view middle =
        name.substr(kTemporaryPrefix.size(), name.size() - kTemporaryPrefix.size() - suffix.size());
    const size_t dash = middle.find('-');
    const auto allDigits = [](std::string_view digits) {
        return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !allDigits(middle.substr(0, dash)) || !allDigits(middle.substr(dash + 1))) {
        return false;
    }
    long pid = 0;
    const auto [rest, ec] = std::from_chars(middle.data(), middle.data() + dash, pid);
    if (ec != std::errc() || rest != middle.data() + dash || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    if (pid == getpid()) return true;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool listNamesStarting(const std::string& folder, std::string_view prefix, std::vector<std::string>& names) {
    names.clear();
    const int fd = openFolderForListing(folder);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        fail();
        ::close(fd);
        return false;
    }
    while (dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name == "." || name == "..") continue;
        // The type comes with the entry on most file systems: links are
        // left out at no cost.
        if (entry->d_type == DT_LNK || (entry->d_type == DT_UNKNOWN && isLinkAt(fd, entry->d_name))) continue;
        names.emplace_back(name);
    }
    closedir(dir);
    return true;
}

void removeStaleTemporaries(const std::string& folder) {
    std::vector<std::string> names;
    if (!listNamesStarting(folder, kTemporaryPrefix, names)) return;
    for (const std::string& name : names) {
        // unlink leaves a folder of that name alone.
        if (isStaleTemporaryName(name)) unlinkEntry(folder + "/" + name, 0, false);
    }
}

bool readableFileSize(const std::string& path, uint64_t& size) {
    struct stat st{};
    const int fd = openRegularFile(path, st);
    if (fd < 0) return false;
    ::close(fd);
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool readFileStart(const std::string& path, size_t maxBytes, std::string& bytes, uint64_t& size) {
    bytes.clear();
    struct stat st{};
    const int fd = openRegularFile(path, st);
    if (fd < 0) return false;
    size = static_cast<uint64_t>(st.st_size);
    bytes.resize(maxBytes);
    size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(fd, bytes.data() + got, maxBytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            fail();
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    ::close(fd);
    return true;
}

bool setFileTime(const std::string& path, const FILETIME& time) {
    timespec times[2] = {{0, UTIME_OMIT}, toTimespec(time)};
    const int fd = isConfinedPath(path) ? openEntry(path, O_RDONLY | O_NONBLOCK | O_NOCTTY) : -1;
    if (isConfinedPath(path) && fd < 0) return false;
    const auto set = [&] {
        return (fd >= 0 ? futimens(fd, times) : utimensat(AT_FDCWD, path.c_str(), times, 0)) == 0 || fail();
    };
    bool ok = set();
    struct stat st{};
    if (ok && !timeTaken(fd >= 0 ? fstat(fd, &st) : ::stat(path.c_str(), &st), st, times[1])) {
        // Drivers that drop a time set without its access time (FUSE).
        times[0] = st.st_atim;
        ok = set();
    }
    if (fd >= 0) ::close(fd);
    return ok;
}

MappedFile::~MappedFile() { close(); }

MappedFile::Status MappedFile::open(const std::string& path, uint64_t sizeLimit) {
    close();
    struct stat st{};
    const int fd = openRegularFile(path, st);
    if (fd < 0) return Status::CannotOpen;
    if (st.st_size == 0) {
        ::close(fd);
        return Status::Empty;
    }
    if (static_cast<uint64_t>(st.st_size) >= sizeLimit) {
        ::close(fd);
        return Status::TooBig;
    }
    void* map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
        fail();
        ::close(fd);
        return Status::CannotMap;
    }
    // Kept open while mapped, so that a shrinking file shows in its size.
    fd_ = fd;
    data_ = static_cast<const char*>(map);
    size_ = static_cast<size_t>(st.st_size);
    guard_ = guardMappedRegion(data_, size_, fd_);
    return Status::Ok;
}

void MappedFile::close() {
    unguardMappedRegion(guard_);
    guard_ = -1;
    if (data_) munmap(const_cast<char*>(data_), size_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    data_ = nullptr;
    size_ = 0;
}

bool MappedFile::truncatedWhileMapped() const { return mappedFileShrunk(guard_); }

void MappedFile::release(const char* begin, const char* end) const {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    begin = std::max(begin, data_);
    end = std::min(end, data_ + size_);
    const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t last = reinterpret_cast<uintptr_t>(end) & ~(page - 1);
    // A private read-only mapping holds no changes: dropping pages loses nothing.
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace tessaly
