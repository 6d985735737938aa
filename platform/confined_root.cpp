// confined_root.cpp - registered archive roots, the resolution of folders
// beneath them and each thread's cache of resolved folders.
#include "platform/confined_root.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace tessaly {

namespace {

struct Root {
    uint64_t id;
    std::string path;
    int fd;
};

std::mutex rootsMutex;
std::vector<Root> roots;
std::atomic<uint64_t> nextId{1};
// Changes whenever a root goes, so that caches drop what they hold.
std::atomic<uint64_t> rootsEpoch{0};
std::atomic<bool> anyRoot{false};

// 0 not yet probed, 1 openat2 works, 2 it does not (ENOSYS) or walk chosen.
std::atomic<int> kernelWalk{0};

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// One resolved folder: (root, folder below it) -> descriptor.
struct Cached {
    uint64_t root = 0;
    std::string folder;
    int fd = -1;
    uint64_t used = 0;
};

// Enough for a target folder and its attachments folder, with room for a
// journal's or the catalogue's folder in between.
constexpr size_t kCached = 4;

struct ThreadCache {
    Cached entries[kCached];
    uint64_t epoch = 0;
    uint64_t tick = 0;

    ~ThreadCache() { clear(); }
    void clear() {
        for (Cached& entry : entries) {
            if (entry.fd >= 0) ::close(entry.fd);
            entry = Cached();
        }
    }
};

ThreadCache& threadCache() {
    thread_local ThreadCache cache;
    const uint64_t epoch = rootsEpoch.load(std::memory_order_acquire);
    if (cache.epoch != epoch) {
        cache.clear();
        cache.epoch = epoch;
    }
    return cache;
}

long openat2Call(int dirFd, const char* path, int flags, uint64_t resolve) {
    open_how how{};
    how.flags = static_cast<uint64_t>(flags);
    how.resolve = resolve;
    return syscall(SYS_openat2, dirFd, path, &how, sizeof how);
}

bool kernelResolves() {
    int state = kernelWalk.load(std::memory_order_relaxed);
    if (state == 0) {
        // A probe that needs no folder: "." beneath the current one.
        const long fd = openat2Call(AT_FDCWD, ".", kFolderFlags, RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS);
        state = fd >= 0 || (errno != ENOSYS && errno != EINVAL && errno != EPERM) ? 1 : 2;
        if (fd >= 0) ::close(static_cast<int>(fd));
        kernelWalk.store(state, std::memory_order_relaxed);
    }
    return state == 1;
}

// Each name of `folder` (relative, names separated by "/") opened without
// following a link; ".." is refused, as it could lead out.
int walkBeneath(int rootFd, std::string_view folder) {
    int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return -1;
    while (!folder.empty()) {
        const size_t slash = folder.find('/');
        const std::string name(folder.substr(0, slash));
        folder = slash == std::string_view::npos ? std::string_view() : folder.substr(slash + 1);
        if (name.empty() || name == ".") continue;
        int next = -1;
        if (name == "..") {
            errno = EXDEV;
        } else {
            next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            // O_DIRECTORY speaks first: a link shows as ENOTDIR.
            struct stat st{};
            if (next < 0 && errno == ENOTDIR && fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode)) {
                errno = ELOOP;
            }
        }
        const int error = errno;
        ::close(fd);
        if (next < 0) {
            errno = error;
            return -1;
        }
        fd = next;
    }
    return fd;
}

int openBeneath(int rootFd, const std::string& folder, int flags) {
    if (kernelResolves()) {
        const long fd = openat2Call(rootFd, folder.empty() ? "." : folder.c_str(), flags | O_CLOEXEC,
                                    RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS);
        return static_cast<int>(fd);
    }
    const int walked = walkBeneath(rootFd, folder);
    if (walked < 0 || flags == kFolderFlags) return walked;
    // A listing needs a descriptor it can read from.
    const int fd = ::openat(walked, ".", flags | O_CLOEXEC);
    const int error = errno;
    ::close(walked);
    errno = error;
    return fd;
}

// The root `path` lies below, and the rest after its "/"; false for a path
// below no root (or the root itself).
bool findRoot(const std::string& path, uint64_t& id, int& fd, std::string& rest) {
    if (!anyRoot.load(std::memory_order_acquire)) return false;
    std::lock_guard<std::mutex> lock(rootsMutex);
    // The innermost root wins (roots registered later are not nested in
    // practice, but a test may do so).
    const Root* best = nullptr;
    for (const Root& root : roots) {
        if (path.size() > root.path.size() + 1 && path.compare(0, root.path.size(), root.path) == 0 &&
            path[root.path.size()] == '/' && (!best || root.path.size() > best->path.size())) {
            best = &root;
        }
    }
    if (!best) return false;
    id = best->id;
    fd = best->fd;
    rest = path.substr(best->path.size() + 1);
    return true;
}

// The descriptor of `folder` below the root, from the cache or opened.
int cachedFolder(uint64_t rootId, int rootFd, const std::string& folder) {
    if (folder.empty()) return rootFd;
    ThreadCache& cache = threadCache();
    Cached* oldest = &cache.entries[0];
    for (Cached& entry : cache.entries) {
        if (entry.fd >= 0 && entry.root == rootId && entry.folder == folder) {
            entry.used = ++cache.tick;
            return entry.fd;
        }
        if (entry.used < oldest->used) oldest = &entry;
    }
    const int fd = openBeneath(rootFd, folder, kFolderFlags);
    if (fd < 0) return -1;
    if (oldest->fd >= 0) ::close(oldest->fd);
    oldest->root = rootId;
    oldest->folder = folder;
    oldest->fd = fd;
    oldest->used = ++cache.tick;
    return fd;
}

// `rest` without empty and "." names at its start: "a//b" and "./a" name
// what "a/b" and "a" do.
void trimLeading(std::string& rest) {
    size_t start = 0;
    while (start < rest.size()) {
        if (rest[start] == '/') {
            ++start;
        } else if (rest.compare(start, 2, "./") == 0) {
            start += 2;
        } else {
            break;
        }
    }
    rest.erase(0, start);
}

}  // namespace

ConfinedRoot::ConfinedRoot(const std::string& root) {
    std::string path = root;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty() || path.find('\0') != std::string::npos) return;
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard<std::mutex> lock(rootsMutex);
    id_ = nextId.fetch_add(1);
    roots.push_back({id_, std::move(path), fd});
    anyRoot.store(true, std::memory_order_release);
}

ConfinedRoot::~ConfinedRoot() {
    if (id_ == 0) return;
    {
        std::lock_guard<std::mutex> lock(rootsMutex);
        for (auto it = roots.begin(); it != roots.end(); ++it) {
            if (it->id != id_) continue;
            ::close(it->fd);
            roots.erase(it);
            break;
        }
        anyRoot.store(!roots.empty(), std::memory_order_release);
        rootsEpoch.fetch_add(1, std::memory_order_acq_rel);
    }
    // This thread's descriptors go now; other threads' at their next look.
    threadCache();
}

bool locateEntry(const std::string& path, ConfinedEntry& entry) {
    uint64_t id = 0;
    int rootFd = -1;
    std::string rest;
    if (!findRoot(path, id, rootFd, rest)) {
        entry.folder = AT_FDCWD;
        entry.name = path;
        entry.confined = false;
        return true;
    }
    entry.confined = true;
    trimLeading(rest);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    const size_t slash = rest.find_last_of('/');
    entry.name = slash == std::string::npos ? rest : rest.substr(slash + 1);
    if (entry.name.empty() || entry.name == "." || entry.name == "..") {
        setLastSystemError(entry.name.empty() ? EINVAL : EXDEV);
        return false;
    }
    const std::string folder = slash == std::string::npos ? std::string() : rest.substr(0, slash);
    entry.folder = cachedFolder(id, rootFd, folder);
    if (entry.folder < 0) {
        setLastSystemError(errno);
        return false;
    }
    return true;
}

bool isConfinedPath(const std::string& path) {
    uint64_t id = 0;
    int rootFd = -1;
    std::string rest;
    return findRoot(path, id, rootFd, rest);
}

int openFolderForListing(const std::string& path) {
    constexpr int kListing = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    uint64_t id = 0;
    int rootFd = -1;
    std::string rest;
    int fd = -1;
    if (!findRoot(path, id, rootFd, rest)) {
        fd = ::open(path.c_str(), kListing);
    } else {
        trimLeading(rest);
        while (!rest.empty() && rest.back() == '/') rest.pop_back();
        fd = openBeneath(rootFd, rest, kListing);
    }
    if (fd < 0) setLastSystemError(errno);
    return fd;
}

void setConfinedWalk(ConfinedWalk walk) {
    if (walk == ConfinedWalk::Checked) {
        kernelWalk.store(2, std::memory_order_relaxed);
    } else {
        kernelWalk.store(0, std::memory_order_relaxed);
    }
    rootsEpoch.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace tessaly
