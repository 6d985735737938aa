// registry.cpp - the registry hives: their files, the parsed-hive cache, and
// the key and value calls over them.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <mutex>

#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/regedit_format.h"

namespace tessaly {

namespace {

// A hive larger than this is not a settings file; it is left alone.
constexpr off_t kMaxHiveSize = off_t{64} << 20;

// How far apart two changes of a file may be and still leave it the same
// time stamp (Linux stamps files from a coarse clock).
constexpr time_t kTimestampSlack = 2;

const char* rootName(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec mtime{};

    explicit FileIdentity(const struct stat& st = {})
        : device(st.st_dev), inode(st.st_ino), size(st.st_size), mtime(st.st_mtim) {}

    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

// One hive as last read. The tree is what the calls work on: the file's
// content, or empty when there is no usable file.
struct Hive {
    RegistryKey root;
    // Set when `root` is the parsed content of the file at `path` as it was
    // when `identity` was taken (at `checkedAt`).
    bool cached = false;
    std::string path;
    FileIdentity identity;
    time_t checkedAt = 0;

    void forget() {
        root = RegistryKey{};
        cached = false;
    }
};

std::mutex hiveMutex;
Hive hives[2];

Hive& hiveRecord(RegistryHive hive) { return hives[hive == RegistryHive::CurrentUser ? 0 : 1]; }

time_t now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec;
}

// A cached tree is trusted only for a file that had not been changed shortly
// before it was read: a change within the same time stamp and of the same
// size would otherwise go unnoticed.
bool cacheHolds(const Hive& h, const std::string& path, const FileIdentity& identity) {
    return h.cached && h.path == path && h.identity == identity &&
           identity.mtime.tv_sec + kTimestampSlack < h.checkedAt;
}

enum class LoadState {
    Missing,     // no file: an empty hive
    Loaded,      // the file parsed
    SetAside,    // the file did not parse and is now "<file>.bad"
    Unreadable,  // a file is there but cannot be used; it must not be overwritten
};

bool readWhole(int fd, off_t size, std::string& text) {
    text.clear();
    text.reserve(static_cast<size_t>(size));
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > static_cast<size_t>(kMaxHiveSize)) {
            errno = EFBIG;
            return false;
        }
    }
}

// Brings `h` up to date with the hive's file. On Unreadable, `error` holds
// the errno that says why.
LoadState load(RegistryHive which, Hive& h, int& error) {
    const std::string path = hivePath(which);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        h.forget();
        return error == ENOENT ? LoadState::Missing : LoadState::Unreadable;
    }
    struct stat st{};
    error = 0;
    if (fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else if (st.st_size > kMaxHiveSize) {
        error = EFBIG;
    }
    if (error != 0) {
        ::close(fd);
        h.forget();
        return LoadState::Unreadable;
    }
    const FileIdentity identity(st);
    if (cacheHolds(h, path, identity)) {
        ::close(fd);
        return LoadState::Loaded;
    }
    const time_t checkedAt = now();
    std::string text;
    const bool readOk = readWhole(fd, st.st_size, text);
    error = errno;
    ::close(fd);
    h.forget();
    if (!readOk) return LoadState::Unreadable;

    RegeditError fault;
    if (parseRegedit(text, rootName(which), h.root, fault)) {
        h.cached = true;
        h.path = path;
        h.identity = identity;
        h.checkedAt = checkedAt;
        return LoadState::Loaded;
    }
    h.forget();
    const std::string aside = path + ".bad";
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        error = errno;
        std::fprintf(
            stderr,
            "tessaly: registry file %s does not parse (line %zu: %s) and cannot be set aside\n",
            path.c_str(), fault.line, fault.reason.c_str());
        return LoadState::Unreadable;
    }
    std::fprintf(stderr, "tessaly: registry file %s does not parse (line %zu: %s); kept as %s\n",
                 path.c_str(), fault.line, fault.reason.c_str(), aside.c_str());
    return LoadState::SetAside;
}

bool writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Writes the whole tree under a temporary name beside the hive and renames it
// into place, so that the file is always either the old or the new hive.
bool save(RegistryHive which, Hive& h) {
    const std::string folder = configFolder();
    const std::string path = hivePath(which);
    if (!createFolderPath(folder)) return false;  // error recorded there
    const std::string text = formatRegedit(h.root, rootName(which));

    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        setLastSystemError(errno);
        return false;
    }
    struct stat st{};
    bool ok = writeAll(fd, text) && fsync(fd) == 0 && fstat(fd, &st) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        setLastSystemError(error);
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    h.cached = true;
    h.path = path;
    h.identity = FileIdentity(st);
    h.checkedAt = now();
    return true;
}

const RegistryKey* findKey(const RegistryKey& root, const std::string& path) {
    std::vector<std::string_view> names;
    if (!splitKeyPath(path, names)) {
        setLastSystemError(EINVAL);
        return nullptr;
    }
    const RegistryKey* key = &root;
    for (std::string_view name : names) {
        key = key->findSubkey(name);
        if (!key) {
            setLastSystemError(ENOENT);
            return nullptr;
        }
    }
    return key;
}

// Runs `read` over the current tree of the hive.
template <typename Read>
bool withHive(RegistryHive which, Read read) {
    std::lock_guard<std::mutex> lock(hiveMutex);
    Hive& h = hiveRecord(which);
    int error = 0;
    load(which, h, error);
    return read(static_cast<const RegistryKey&>(h.root));
}

// Runs `change` over the current tree and writes the hive when it reports a
// change. `change` returns false (with the error recorded) to refuse.
bool changeHive(RegistryHive which, const std::function<bool(RegistryKey&, bool&)>& change) {
    std::lock_guard<std::mutex> lock(hiveMutex);
    Hive& h = hiveRecord(which);
    int error = 0;
    if (load(which, h, error) == LoadState::Unreadable) {
        // Writing now would replace a hive we could not read.
        setLastSystemError(error);
        return false;
    }
    bool changed = false;
    if (!change(h.root, changed)) return false;
    if (!changed) return true;
    if (save(which, h)) return true;
    h.forget();  // the tree holds a change the file does not
    return false;
}

// The value of environment variable `name`; like Windows, a name that is not
// set in this spelling is looked up without regard to letter case.
bool environmentValue(const std::string& name, std::string& value) {
    if (name.empty() || name.find('=') != std::string::npos) return false;
    if (const char* exact = std::getenv(name.c_str())) {
        value = exact;
        return true;
    }
    const std::string folded = asciiLower(name);
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text = *entry;
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        if (asciiLower(text.substr(0, equals)) == folded) {
            value = std::string(text.substr(equals + 1));
            return true;
        }
    }
    return false;
}

std::string untilNul(const std::string& data) { return data.substr(0, data.find('\0')); }

}  // namespace

std::string hivePath(RegistryHive hive) {
    return configFolder() + (hive == RegistryHive::CurrentUser ? "/user.reg" : "/machine.reg");
}

bool registryKeyExists(RegistryHive hive, const std::string& key) {
    return withHive(hive, [&](const RegistryKey& root) { return findKey(root, key) != nullptr; });
}

bool registrySubkeys(RegistryHive hive, const std::string& key, std::vector<std::string>& names) {
    names.clear();
    return withHive(hive, [&](const RegistryKey& root) {
        const RegistryKey* found = findKey(root, key);
        if (!found) return false;
        for (const RegistryKey& sub : found->subkeys()) names.push_back(sub.name());
        return true;
    });
}

bool registryReadValue(RegistryHive hive, const std::string& key, const std::string& name,
                       RegistryValue& value) {
    return withHive(hive, [&](const RegistryKey& root) {
        const RegistryKey* found = findKey(root, key);
        if (!found) return false;
        const RegistryValue* stored = found->findValue(name);
        if (!stored) {
            setLastSystemError(ENOENT);
            return false;
        }
        value = *stored;
        return true;
    });
}

bool registryReadString(RegistryHive hive, const std::string& key, const std::string& name,
                        std::string& text) {
    RegistryValue value;
    if (!registryReadValue(hive, key, name, value)) return false;
    // Like a C string read from Windows, the text ends at the first NUL.
    if (value.type == REG_SZ) {
        text = untilNul(value.data);
    } else if (value.type == REG_EXPAND_SZ) {
        text = expandEnvironmentStrings(untilNul(value.data));
    } else {
        setLastSystemError(EINVAL);
        return false;
    }
    return true;
}

bool registryReadDword(RegistryHive hive, const std::string& key, const std::string& name,
                       uint32_t& number) {
    RegistryValue value;
    if (!registryReadValue(hive, key, name, value)) return false;
    if (value.type != REG_DWORD || value.data.size() != 4) {
        setLastSystemError(EINVAL);
        return false;
    }
    number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    return true;
}

bool registryWriteValues(RegistryHive hive, const std::string& key,
                         const std::vector<std::pair<std::string, RegistryValue>>& values) {
    std::vector<std::string_view> names;
    if (!splitKeyPath(key, names)) {
        setLastSystemError(EINVAL);
        return false;
    }
    for (const auto& item : values) {
        if (!isStorableValueName(item.first)) {
            setLastSystemError(EINVAL);
            return false;
        }
    }
    return changeHive(hive, [&](RegistryKey& root, bool& changed) {
        RegistryKey* target = &root;
        for (std::string_view name : names) {
            bool created = false;
            target = &target->addSubkey(name, &created);
            changed = changed || created;
        }
        for (const auto& [name, value] : values) {
            if (target->setValue(name, value)) changed = true;
        }
        return true;
    });
}

bool registryWriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                        const RegistryValue& value) {
    return registryWriteValues(hive, key, {{name, value}});
}

bool registryWriteString(RegistryHive hive, const std::string& key, const std::string& name,
                         const std::string& text, uint32_t type) {
    return registryWriteValue(hive, key, name, makeStringValue(text, type));
}

bool registryWriteDword(RegistryHive hive, const std::string& key, const std::string& name,
                        uint32_t number) {
    return registryWriteValue(hive, key, name, makeDwordValue(number));
}

bool registryCreateKey(RegistryHive hive, const std::string& key) {
    return registryWriteValues(hive, key, {});
}

bool registryDeleteKey(RegistryHive hive, const std::string& key) {
    std::vector<std::string_view> names;
    if (!splitKeyPath(key, names) || names.empty()) {  // the hive root cannot go
        setLastSystemError(EINVAL);
        return false;
    }
    return changeHive(hive, [&](RegistryKey& root, bool& changed) {
        RegistryKey* parent = &root;
        for (size_t i = 0; i + 1 < names.size() && parent; ++i) {
            parent = parent->findSubkey(names[i]);
        }
        changed = parent && parent->removeSubkey(names.back());
        if (!changed) setLastSystemError(ENOENT);
        return changed;
    });
}

bool registryDeleteValue(RegistryHive hive, const std::string& key, const std::string& name) {
    std::vector<std::string_view> names;
    if (!splitKeyPath(key, names)) {
        setLastSystemError(EINVAL);
        return false;
    }
    return changeHive(hive, [&](RegistryKey& root, bool& changed) {
        RegistryKey* target = &root;
        for (size_t i = 0; i < names.size() && target; ++i) target = target->findSubkey(names[i]);
        changed = target && target->removeValue(name);
        if (!changed) setLastSystemError(ENOENT);
        return changed;
    });
}

// As Windows expands: "%NAME%" of a set variable becomes its value; an unset
// name is kept with both percent signs and the scan goes on after them; a
// lone "%" with no closing one keeps the rest as written.
std::string expandEnvironmentStrings(const std::string& text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('%', pos);
        if (open == std::string::npos) break;
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, pos, open - pos);
        std::string value;
        if (environmentValue(text.substr(open + 1, close - open - 1), value)) {
            out += value;
        } else {
            out.append(text, open, close - open + 1);
        }
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

RegistryValue makeStringValue(const std::string& text, uint32_t type) {
    RegistryValue value;
    value.type = type;
    value.data = text;
    return value;
}

RegistryValue makeDwordValue(uint32_t number) {
    RegistryValue value;
    value.type = REG_DWORD;
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

}  // namespace tessaly
