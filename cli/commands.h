// commands.h - the commands of tessaly-cli.
#pragma once

#include "cli/options.h"

namespace tessaly::cli {

constexpr int kExitFinished = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;

// Runs one parsed command and returns the exit status.
int runCommand(const Options& options);

}  // namespace tessaly::cli
