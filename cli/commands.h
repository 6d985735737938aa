// commands.h - the commands of tessaly-cli.
#pragma once

#include <string>

#include "app/run_driver.h"
#include "cli/options.h"

namespace tessaly::cli {

constexpr int kExitFinished = 0;
constexpr int kExitStopped = 1;
// The archive folder cannot be written, or another run holds it.
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// Prints "tessaly-cli: MESSAGE" and the usage text on stderr; returns
// kExitUsage.
int usageError(const std::string& message);

// Runs one parsed command and returns the exit status.
int runCommand(const Options& options);

// A request with the archive options of the command line: --to (made
// absolute), --format, --flat and --no-labels.
JobRequest archiveRequest(const Options& options);

// Runs the request with the terminal as its display, prints the finish
// statistics (unless asked not to) and returns the exit status.
int runRequest(const JobRequest& request, bool printStatistics = true);

}  // namespace tessaly::cli
