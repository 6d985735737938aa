// main.cpp - tessaly-cli: the archiving jobs for scripts, without a window.
#include <cstdio>

#include "cli/commands.h"
#include "cli/options.h"

int main(int argc, char** argv) {
    using namespace tessaly::cli;
    std::string error;
    const std::optional<Options> options = parseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "tessaly-cli: %s\n%s", error.c_str(), usageText());
        return kExitUsage;
    }
    return runCommand(*options);
}
