// search_segment.h - one segment of the search index in memory: its
// messages newest first and, for every term, the messages that hold it.
// Segments are built from catalogue rows and merged two into one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/catalogue_row.h"

namespace tessaly {

// What a result line shows of a message; its time is kept apart.
struct SearchDoc {
    std::string path;     // relative to the archive root
    std::string from;     // the sender's name
    std::string subject;
    std::string snippet;  // the text's first words
};

struct SearchSegment {
    uint32_t id = 0;                 // names its files; a new segment takes a new number
    std::vector<SearchDoc> docs;     // newest first, then by path
    std::vector<int64_t> times;      // of docs, the same order
    std::map<std::string, std::vector<uint32_t>> postings;  // term -> ascending doc numbers
    std::vector<uint32_t> dead;      // doc numbers a newer segment replaces, ascending
    size_t liveCount() const { return docs.size() - dead.size(); }
};

// Gathers rows into a segment: each row's terms are taken at once, the
// texts are not kept. A path added twice keeps its last row.
class SegmentBuilder {
public:
    void add(const CatalogueRow& row);
    size_t size() const { return pending_.size(); }
    // The paths added so far.
    std::vector<std::string> paths() const;
    SearchSegment build(uint32_t id);

private:
    struct Pending {
        SearchDoc doc;
        int64_t time = 0;
        std::vector<uint32_t> terms;  // into names_, distinct
    };
    uint32_t termNumber(std::string_view term);

    std::vector<Pending> pending_;
    std::unordered_map<std::string, size_t> byPath_;
    // Looked up by string_view, so that a term seen before costs no copy.
    struct TermHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, uint32_t, TermHash, std::equal_to<>> numbers_;
    std::vector<std::string> names_;
    // By term number, the add call that last took it (0: none), so that a
    // message lists each term once without a set of its own.
    std::vector<uint64_t> lastAdd_;
    uint64_t adds_ = 0;
};

// The live messages of two segments in one, `newer` winning a path both
// hold.
SearchSegment mergeSegments(const SearchSegment& older, const SearchSegment& newer, uint32_t id);

// Messages newest first; the same time by path (byte order).
bool newerFirst(int64_t timeA, const std::string& pathA, int64_t timeB, const std::string& pathB);

}  // namespace tessaly
