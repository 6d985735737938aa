// main.cpp - gen-corpus: writes the benchmark corpus into a folder.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gen_corpus/corpus.h"

namespace {

const char kUsage[] = "usage: gen-corpus [--seed N] [--messages N] [--size small|large] OUT-DIR\n";

bool number(const char* text, uint64_t& value) {
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return *end == '\0' && errno == 0 && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessaly::bench;
    CorpusOptions options;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue && number(argv[i + 1], options.seed)) {
            ++i;
        } else if (arg == "--messages" && hasValue && number(argv[i + 1], options.messages) && options.messages > 0) {
            ++i;
        } else if (arg == "--size" && hasValue && (std::strcmp(argv[i + 1], "small") == 0 || std::strcmp(argv[i + 1], "large") == 0)) {
            options.size = std::strcmp(argv[++i], "large") == 0 ? CorpusSize::Large : CorpusSize::Small;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (folder.empty() && !arg.starts_with("-")) {
            folder = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (folder.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CorpusSummary summary;
    std::string error;
    if (!writeCorpus(folder, options, summary, error)) {
        std::fprintf(stderr, "gen-corpus: %s\n", error.c_str());
        return 1;
    }
    std::fputs(summaryText(summary).c_str(), stdout);
    return 0;
}
