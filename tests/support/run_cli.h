// run_cli.h - runs the real tessaly-cli as a script would and collects its
// exit status and output (tests/cli only, where TESSALY_CLI names it).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace tessaly {

struct Outcome {
    int status = -1;  // exit code, or -1 when killed by a signal
    std::string out;
    std::string err;
};

// Starts the program with `args` (and the environment variables `env` set
// for it); `whileRunning` may act on it before it is waited for.
inline Outcome runCli(const std::vector<std::string>& args, const test::TempDir& dir,
                      const std::function<void(pid_t)>& whileRunning = nullptr,
                      const std::vector<std::pair<std::string, std::string>>& env = {}) {
    const std::string outPath = dir.file("stdout.txt");
    const std::string errPath = dir.file("stderr.txt");
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) _exit(126);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(TESSALY_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TESSALY_CLI, argv.data());
        _exit(127);
    }
    if (whileRunning) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome o;
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = test::readFile(outPath);
    o.err = test::readFile(errPath);
    return o;
}

}  // namespace tessaly
