// read_faults.cpp - answers SIGBUS from a shrunken mapped file with zero
// pages, inside the regions that MappedFile guards.
#include "platform/read_faults.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace tessaly {

namespace {

// A job maps one source file at a time; a few more slots cover readers that
// overlap (a picker test while a job runs, the tests).
constexpr int kSlots = 16;

struct Region {
    std::atomic<uintptr_t> begin{0};  // 0: free
    std::atomic<size_t> size{0};
    std::atomic<int> fd{-1};
    std::atomic<bool> faulted{false};
};

// A slot being filled in holds this instead of an address.
constexpr uintptr_t kReserved = 1;

Region regions[kSlots];
struct sigaction previousAction;

// Only async-signal-safe work here: atomics and one mmap call.
void onBus(int signal, siginfo_t* info, void* context) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    const uintptr_t pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    for (Region& r : regions) {
        const uintptr_t begin = r.begin.load();
        const size_t size = r.size.load();
        if (begin <= kReserved || address < begin || address - begin >= size) continue;
        const uintptr_t page = address & ~(pageSize - 1);
        const size_t length = begin + size - page;
        void* zeros = mmap(reinterpret_cast<void*>(page), length, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        r.faulted.store(true);
        return;
    }
    // Not ours: hand the fault to whoever handled it before.
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) return previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        return previousAction.sa_handler(signal);
    }
    // The default action: the read that faulted runs again and ends the process.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBus;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousAction);
    });
}

// A fault, or a size below the region's: bytes past the new end within
// its last page read as zeros without faulting.
bool shrunk(const Region& r) {
    if (r.faulted.load()) return true;
    struct stat st {};
    return fstat(r.fd.load(), &st) == 0 && static_cast<uint64_t>(st.st_size) < r.size.load();
}

}  // namespace

int guardMappedRegion(const void* begin, size_t size, int fd) {
    if (!begin || size == 0) return -1;
    installHandler();
    for (int i = 0; i < kSlots; ++i) {
        uintptr_t expected = 0;
        Region& r = regions[i];
        // Reserve the slot first, so the handler never sees a half-made one.
        if (!r.begin.compare_exchange_strong(expected, kReserved)) continue;
        r.size.store(size);
        r.fd.store(fd);
        r.faulted.store(false);
        r.begin.store(reinterpret_cast<uintptr_t>(begin));
        return i;
    }
    return -1;
}

void unguardMappedRegion(int handle) {
    if (handle >= 0 && handle < kSlots) regions[handle].begin.store(0);
}

bool mappedFileShrunk(int handle) {
    return handle >= 0 && handle < kSlots && regions[handle].begin.load() > kReserved &&
           shrunk(regions[handle]);
}

bool anyMappedFileShrunk() {
    for (const Region& r : regions) {
        if (r.begin.load() > kReserved && shrunk(r)) return true;
    }
    return false;
}

}  // namespace tessaly
