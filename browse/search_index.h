// search_index.h - the archive's full-text search: adding a run's messages
// to the search files, and searching them the way search.html does.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "archive/catalogue_row.h"

namespace tessaly {

class SegmentBuilder;

// One run's additions to the archive's search files: the rows given become
// a new segment (its own files); then the newest segments are merged while
// one holds no more than twice the messages of the next, so that their
// number stays logarithmic in the archive's size and a run costs, amortised,
// in proportion to what it adds. A message whose path an older segment
// holds replaces it there. With replaceAll every existing segment is
// dropped first (a rebuild); a list of segments that cannot be read is
// dropped as well. Writes <root>/search.html and .tessaly/search.js when
// they are missing or differ.
class SearchUpdate {
public:
    // `fresh`: the segments that earlier updates of this run made from rows
    // of this run alone (freshSegments). A row of this run names a file the
    // run wrote, whose path no such segment holds, so they are not searched
    // for it: a long run stays linear in its length.
    SearchUpdate(std::string root, bool replaceAll, std::set<uint32_t> fresh = {});
    ~SearchUpdate();
    SearchUpdate(const SearchUpdate&) = delete;
    SearchUpdate& operator=(const SearchUpdate&) = delete;

    // Takes the row's terms and what a result line shows, not its text:
    // a row of a file this run wrote (or, in a rebuild, of any file).
    void add(const CatalogueRow& row);
    // The same for a row of a file from an earlier run, which may replace
    // a message in any segment.
    void addEarlier(const CatalogueRow& row);
    // False on a write failure; the list of segments then still names only
    // complete files (the new ones are not listed).
    bool finish();
    // After finish: `fresh` and the segments finish wrote from them and from
    // this update's rows, when those were all of this run.
    const std::set<uint32_t>& freshSegments() const { return fresh_; }

private:
    std::string root_;
    bool replaceAll_;
    std::set<uint32_t> fresh_;
    bool hasEarlier_ = false;
    std::unique_ptr<SegmentBuilder> builder_;
};

// The paths (relative to the root) of the messages matching `query`,
// newest first, with the matching of search.html (search_query.h). Empty
// with `error` set when the query cannot be read or the files are missing
// or damaged; empty without error for a query that asks nothing.
std::vector<std::string> searchArchive(const std::string& root, std::string_view query, std::string* error);

}  // namespace tessaly
