// fuzz_regedit.cpp - the REGEDIT4 hive parser and writer.
#include <string>
#include <string_view>

#include "fuzz/targets.h"
#include "platform/regedit_format.h"

namespace tessaly::fuzz {

void fuzzRegedit(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
    RegistryKey root;
    RegeditError error;
    if (!parseRegedit(text, kRoot, root, error)) return;
    // What was read must be written so that it reads back the same.
    const std::string written = formatRegedit(root, kRoot);
    RegistryKey again;
    if (!parseRegedit(written, kRoot, again, error)) propertyFailed("a written hive does not parse");
    if (formatRegedit(again, kRoot) != written) propertyFailed("a written hive reads back differently");
}

}  // namespace tessaly::fuzz
