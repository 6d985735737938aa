// targets.cpp - the table of fuzz targets and the property failure stop.
#include "fuzz/targets.h"

#include <cstdio>
#include <cstdlib>

namespace tessaly::fuzz {

namespace {

const NamedTarget kTargets[] = {
    {"headers", fuzzHeaders},
    {"decoders", fuzzDecoders},
    {"converters", fuzzConverters},
    {"charsets", fuzzCharsets},
    {"dates", fuzzDates},
    {"addresses", fuzzAddresses},
    {"references", fuzzReferences},
    {"mailbox", fuzzMailbox},
    {"dbx", fuzzDbx},
    {"folders_dbx", fuzzFoldersDbx},
    {"regedit", fuzzRegedit},
    {"pst", fuzzPst},
    {"rtf_compressed", fuzzRtfCompressed},
    {"archive_rows", fuzzArchiveRows},
    {"store_texts", fuzzStoreTexts},
    {"store_layout", fuzzStoreLayout},
    {"html_sanitizer", fuzzHtmlSanitizer},
    {{}, nullptr},
};

}  // namespace

const NamedTarget* allTargets() { return kTargets; }

const NamedTarget* findTarget(std::string_view name) {
    for (const NamedTarget* t = kTargets; t->function; ++t) {
        if (t->name == name) return t;
    }
    return nullptr;
}

void propertyFailed(const char* what) {
    std::fprintf(stderr, "fuzz property failed: %s\n", what);
    std::abort();
}

}  // namespace tessaly::fuzz

// Read by LeakSanitizer in sanitizer builds. libpff leaks the column
// definitions of a table whose reading fails half-way (seen with Debian's
// libpff 20180714); nothing outside the library holds them to free. Only
// that allocation is named (the library has no frame pointers, so its stack
// ends there): an item of ours left unfreed still shows as a direct leak.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpff_column_definition_initialize\n";
}
