// file_size_limit.h - a full disk for one scope: files cannot grow past a
// limit (RLIMIT_FSIZE), and a write that would fails with EFBIG instead of
// ending the process. Works for root too.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace tessaly::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &savedAction_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        sigaction(SIGXFSZ, &savedAction_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    struct sigaction savedAction_ {};
};

}  // namespace tessaly::test
