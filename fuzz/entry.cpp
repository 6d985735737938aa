// entry.cpp - the libFuzzer entry point of one fuzzer; TESSALY_FUZZ_TARGET
// names the target it drives.
#include <cstdio>
#include <cstdlib>

#include "fuzz/targets.h"

namespace {

tessaly::fuzz::FuzzTarget target() {
    static const tessaly::fuzz::NamedTarget* found = [] {
        const tessaly::fuzz::NamedTarget* t = tessaly::fuzz::findTarget(TESSALY_FUZZ_TARGET);
        if (!t) {
            std::fprintf(stderr, "no fuzz target %s\n", TESSALY_FUZZ_TARGET);
            std::abort();
        }
        return t;
    }();
    return found->function;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    target()(data, size);
    return 0;
}
