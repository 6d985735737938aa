// targets.h - the fuzz targets: one function per input kind, each taking
// arbitrary bytes. libFuzzer drives them from fuzz/entry.cpp; the
// regression tests replay the saved crashing inputs through the same
// functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaly::fuzz {

using FuzzTarget = void (*)(const uint8_t* data, size_t size);

// Header reading and the part tree over the boundary lines of the text.
void fuzzHeaders(const uint8_t* data, size_t size);
// The transfer decoders and encoded words; the first byte picks one.
void fuzzDecoders(const uint8_t* data, size_t size);
// The body converters, also fed from the scratch buffers; the first byte
// picks one.
void fuzzConverters(const uint8_t* data, size_t size);
// The charset converter and the header texts; the first byte picks a label.
void fuzzCharsets(const uint8_t* data, size_t size);
// parseDate, isFromLineDate, isFromLine and the date texts.
void fuzzDates(const uint8_t* data, size_t size);
void fuzzAddresses(const uint8_t* data, size_t size);
// rewriteReferences with content ids taken from the input's first lines.
void fuzzReferences(const uint8_t* data, size_t size);
// The mailbox boundary scanner with every message archived into a
// temporary archive, as pages or as EML files.
void fuzzMailbox(const uint8_t* data, size_t size);
// The DBX reader over a whole file: header, file info, both trees, every
// record, every text chain.
void fuzzDbx(const uint8_t* data, size_t size);
// The folder list of a store whose Folders.dbx holds the input.
void fuzzFoldersDbx(const uint8_t* data, size_t size);
// The REGEDIT4 hive parser and writer: what parses must write and parse
// back to the same text.
void fuzzRegedit(const uint8_t* data, size_t size);
// A personal-store file mounted through the MAPI provider, its folders
// listed and its messages archived.
void fuzzPst(const uint8_t* data, size_t size);
// Compressed RTF as Outlook stores message bodies.
void fuzzRtfCompressed(const uint8_t* data, size_t size);
// Catalogue rows read back from a page or an EML file.
void fuzzArchiveRows(const uint8_t* data, size_t size);
// The store discovery's texts: IMAP folder names, prefs.js, profiles.ini,
// Gmail label fields; the first byte picks one.
void fuzzStoreTexts(const uint8_t* data, size_t size);
// A folder tree made from the input lines, read as every kind of store.
void fuzzStoreLayout(const uint8_t* data, size_t size);
// The safe copy of an HTML body: UTF-8, nothing in it active.
void fuzzHtmlSanitizer(const uint8_t* data, size_t size);

struct NamedTarget {
    std::string_view name;
    FuzzTarget function;
};

// Every target by the name its fuzzer and its regression folder carry.
const NamedTarget* findTarget(std::string_view name);
// Null-terminated list of all targets.
const NamedTarget* allTargets();

// Stops the process when a property the target checks does not hold, so
// that the fuzzer records the input.
[[noreturn]] void propertyFailed(const char* what);

}  // namespace tessaly::fuzz
