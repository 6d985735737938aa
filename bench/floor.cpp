// floor.cpp - the least any mailbox archiver can do, as a yardstick: map
// the mailbox, find the "From " lines that open messages, and write each
// message to a file of its own (create, write, close). Nothing is parsed,
// decoded or synced.
//
// With --safe it also does what a crash-safe archiver must: each file is
// written under a temporary name and given a time, and every 256 files
// one syncfs makes them durable before they are renamed into place.
//
// usage: floor [--safe] MAILBOX OUT-DIR
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

bool writeMessage(const std::string& path, const char* data, size_t size, bool setTime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) {
            close(fd);
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    if (setTime) {
        const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
        futimens(fd, times);
    }
    return close(fd) == 0;
}

// Syncs the written temporaries and renames them into place.
bool putInPlace(std::vector<std::pair<std::string, std::string>>& waiting, int folder) {
    if (waiting.empty()) return true;
    if (syncfs(folder) != 0) return false;
    for (const auto& [temporary, path] : waiting) {
        if (rename(temporary.c_str(), path.c_str()) != 0) return false;
    }
    waiting.clear();
    return true;
}

// The next line that begins with "From " at or after `from`, or `end`.
const char* nextFromLine(const char* from, const char* end) {
    static constexpr char kSeparator[] = "\nFrom ";
    const void* hit = memmem(from, static_cast<size_t>(end - from), kSeparator, sizeof kSeparator - 1);
    return hit ? static_cast<const char*>(hit) + 1 : end;
}

}  // namespace

int main(int argc, char** argv) {
    const bool safe = argc == 4 && std::strcmp(argv[1], "--safe") == 0;
    if (safe) {
        --argc;
        ++argv;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor [--safe] MAILBOX OUT-DIR\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size == 0) {
        std::perror(argv[1]);
        return 1;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
        std::perror("mmap");
        return 1;
    }
    mkdir(argv[2], 0755);
    const char* begin = static_cast<const char*>(map);
    const char* end = begin + size;
    const std::string folder = std::string(argv[2]) + "/";
    const int folderFd = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::pair<std::string, std::string>> waiting;

    unsigned long count = 0;
    const char* start = std::strncmp(begin, "From ", 5) == 0 ? begin : nextFromLine(begin, end);
    while (start < end) {
        // The message is the text after its From line, up to the next one.
        const char* text = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
        text = text ? text + 1 : end;
        const char* next = nextFromLine(text > start ? text - 1 : start, end);
        const std::string path = folder + std::to_string(++count) + ".eml";
        const std::string name = safe ? folder + ".tmp-" + std::to_string(count) : path;
        if (!writeMessage(name, text, static_cast<size_t>(next - text), safe)) {
            std::perror("write");
            return 1;
        }
        if (safe) waiting.emplace_back(name, path);
        if (waiting.size() >= 256 && !putInPlace(waiting, folderFd)) {
            std::perror("sync");
            return 1;
        }
        start = next;
    }
    if (!putInPlace(waiting, folderFd)) {
        std::perror("sync");
        return 1;
    }
    std::printf("%lu messages\n", count);
    munmap(map, size);
    close(fd);
    return 0;
}
