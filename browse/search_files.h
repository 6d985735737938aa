// search_files.h - the search files of an archive (under
// <root>/.tessaly/search/): their names, writing a segment's files and the
// list of segments, and reading each kind back. The format is described at
// the top of search_files.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse/search_segment.h"

namespace tessaly {

inline constexpr int kSearchFormat = 1;
inline constexpr uint32_t kDocsPerChunk = 50;
// Segments are merged up to this many messages, which bounds the memory of a
// merge; a larger archive has a segment for every so many of its messages.
inline constexpr size_t kMaxMergedDocs = 5000;
// Term files are cut when they would pass this many bytes.
inline constexpr size_t kTermFileBytes = 20000;

// A segment as the list names it.
struct SegmentEntry {
    uint32_t id = 0;
    uint32_t docs = 0;
    std::vector<std::string> bounds;  // first term (or a shorter prefix of it) of each term file but the first
    std::vector<uint32_t> dead;       // ascending
};

// The segments, oldest first: a path in a later one replaces it in the earlier ones.
struct SearchManifest {
    std::vector<SegmentEntry> segments;
};

inline constexpr std::string_view kManifestName = "index.js";
std::string timesFileName(uint32_t segment);
std::string termFileName(uint32_t segment, size_t shard);
std::string docsFileName(uint32_t segment, size_t chunk);
// The segment a search file name belongs to ("s12-t3.js" -> 12); false for
// any other name (the list, the script, files of people).
bool segmentOfFileName(std::string_view name, uint32_t& segment);

struct NamedFile {
    std::string name;
    std::string content;
};
// The files of a segment; `entry` gets its id, size and term file bounds.
std::vector<NamedFile> segmentFiles(const SearchSegment& segment, SegmentEntry& entry);
std::string manifestFile(const SearchManifest& manifest);

// Readers: false when the file is not exactly what the writer writes.
bool readManifest(std::string_view file, SearchManifest& manifest);
bool readTimesFile(std::string_view file, const SegmentEntry& entry, std::vector<int64_t>& times);
// The chunk's docs (kDocsPerChunk, fewer in the last chunk).
bool readDocsFile(std::string_view file, const SegmentEntry& entry, size_t chunk, std::vector<SearchDoc>& docs);
// Terms with their number lists still encoded (decodeIds).
bool readTermFile(std::string_view file, const SegmentEntry& entry, size_t shard,
                  std::vector<std::pair<std::string, std::string>>& terms);

// The term files that may hold `term`, or (prefix) any term starting with it.
std::vector<size_t> termFilesFor(const SegmentEntry& entry, std::string_view term, bool prefix);

}  // namespace tessaly
