// search_index.cpp - updating the search files after a run, and searching
// them from C++ with the steps search.js takes.
#include "browse/search_index.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "browse/browse_paths.h"
#include "browse/page_files.h"
#include "browse/search_codes.h"
#include "browse/search_files.h"
#include "browse/search_page.h"
#include "browse/search_query.h"
#include "browse/search_segment.h"
#include "platform/files.h"

namespace tessaly {

namespace {

bool readWhole(const std::string& path, std::string& bytes) {
    MappedFile file;
    if (file.open(path) != MappedFile::Status::Ok) return false;
    bytes.assign(file.data(), file.size());
    return !file.truncatedWhileMapped();
}

// Reads search files once each.
class SearchFolder {
public:
    explicit SearchFolder(std::string folder) : folder_(std::move(folder)) {}

    bool manifest(SearchManifest& out) {
        std::string bytes;
        return readWhole(folder_ + std::string(kManifestName), bytes) && readManifest(bytes, out);
    }
    bool times(const SegmentEntry& entry, std::vector<int64_t>& out) {
        std::string bytes;
        return readWhole(folder_ + timesFileName(entry.id), bytes) && readTimesFile(bytes, entry, out);
    }
    const std::vector<SearchDoc>* docs(const SegmentEntry& entry, size_t chunk) {
        const auto key = std::make_pair(entry.id, chunk);
        if (const auto it = docs_.find(key); it != docs_.end()) return &it->second;
        std::string bytes;
        std::vector<SearchDoc> docs;
        if (!readWhole(folder_ + docsFileName(entry.id, chunk), bytes) || !readDocsFile(bytes, entry, chunk, docs)) return nullptr;
        return &docs_.emplace(key, std::move(docs)).first->second;
    }
    const std::vector<std::pair<std::string, std::string>>* terms(const SegmentEntry& entry, size_t shard) {
        const auto key = std::make_pair(entry.id, shard);
        if (const auto it = terms_.find(key); it != terms_.end()) return &it->second;
        std::string bytes;
        std::vector<std::pair<std::string, std::string>> terms;
        if (!readWhole(folder_ + termFileName(entry.id, shard), bytes) || !readTermFile(bytes, entry, shard, terms)) return nullptr;
        return &terms_.emplace(key, std::move(terms)).first->second;
    }
    // A whole segment, for merging.
    bool segment(const SegmentEntry& entry, SearchSegment& out) {
        out = SearchSegment();
        out.id = entry.id;
        out.dead = entry.dead;
        if (!times(entry, out.times)) return false;
        for (size_t chunk = 0; chunk * kDocsPerChunk < entry.docs; ++chunk) {
            const std::vector<SearchDoc>* docs = this->docs(entry, chunk);
            if (docs == nullptr) return false;
            out.docs.insert(out.docs.end(), docs->begin(), docs->end());
        }
        for (size_t shard = 0; shard <= entry.bounds.size(); ++shard) {
            const auto* terms = this->terms(entry, shard);
            if (terms == nullptr) return false;
            for (const auto& [term, code] : *terms) {
                std::vector<uint32_t> ids;
                if (!decodeIds(code, entry.docs, ids)) return false;
                out.postings[term] = std::move(ids);
            }
            terms_.erase(std::make_pair(entry.id, shard));
        }
        return true;
    }

private:
    std::string folder_;
    std::map<std::pair<uint32_t, size_t>, std::vector<SearchDoc>> docs_;
    std::map<std::pair<uint32_t, size_t>, std::vector<std::pair<std::string, std::string>>> terms_;
};

// Adds to `dead` the docs of the segment whose paths are in `replaced`.
bool markReplaced(SearchFolder& folder, SegmentEntry& entry, const std::unordered_set<std::string>& replaced) {
    std::set<uint32_t> dead(entry.dead.begin(), entry.dead.end());
    for (size_t chunk = 0; chunk * kDocsPerChunk < entry.docs; ++chunk) {
        const std::vector<SearchDoc>* docs = folder.docs(entry, chunk);
        if (docs == nullptr) return false;
        for (size_t k = 0; k < docs->size(); ++k) {
            if (replaced.count((*docs)[k].path) != 0) dead.insert(static_cast<uint32_t>(chunk * kDocsPerChunk + k));
        }
    }
    entry.dead.assign(dead.begin(), dead.end());
    return true;
}

}  // namespace

SearchUpdate::SearchUpdate(std::string root, bool replaceAll, std::set<uint32_t> fresh)
    : root_(std::move(root)),
      replaceAll_(replaceAll),
      fresh_(replaceAll ? std::set<uint32_t>() : std::move(fresh)),
      builder_(std::make_unique<SegmentBuilder>()) {}

SearchUpdate::~SearchUpdate() = default;

void SearchUpdate::add(const CatalogueRow& row) { builder_->add(row); }

void SearchUpdate::addEarlier(const CatalogueRow& row) {
    hasEarlier_ = true;
    builder_->add(row);
}

bool SearchUpdate::finish() {
    const std::string folder = searchFilesPath(root_);
    if (!createFolderPath(folder)) return false;
    SearchFolder files(folder);
    SearchManifest manifest;
    if (!replaceAll_ && !files.manifest(manifest)) manifest = SearchManifest();
    uint32_t nextId = 1;
    for (const SegmentEntry& entry : manifest.segments) nextId = std::max(nextId, entry.id + 1);

    PageFiles written;
    std::vector<std::string> newFiles;
    bool ok = true;
    const auto writeSegment = [&](const SearchSegment& segment, SegmentEntry& entry) {
        for (NamedFile& file : segmentFiles(segment, entry)) {
            newFiles.push_back(folder + file.name);
            ok = written.write(folder + file.name, file.content) && ok;
        }
    };
    // Segments built or merged in this run, kept for the merges.
    std::map<uint32_t, SearchSegment> inMemory;

    if (builder_->size() > 0) {
        std::vector<std::string> paths = builder_->paths();
        const std::unordered_set<std::string> replaced(paths.begin(), paths.end());
        std::vector<SegmentEntry> kept;
        for (SegmentEntry& entry : manifest.segments) {
            if ((!hasEarlier_ && fresh_.count(entry.id)) || markReplaced(files, entry, replaced)) {
                kept.push_back(std::move(entry));
            }
        }
        manifest.segments = std::move(kept);
        SearchSegment segment = builder_->build(nextId++);
        if (hasEarlier_) {
            fresh_.erase(segment.id);
        } else {
            fresh_.insert(segment.id);
        }
        manifest.segments.emplace_back();
        writeSegment(segment, manifest.segments.back());
        inMemory.emplace(segment.id, std::move(segment));
    }

    std::vector<SegmentEntry>& segments = manifest.segments;
    while (ok && segments.size() >= 2) {
        SegmentEntry& older = segments[segments.size() - 2];
        SegmentEntry& newer = segments.back();
        const size_t olderLive = older.docs - older.dead.size(), newerLive = newer.docs - newer.dead.size();
        if (newerLive == 0 || olderLive == 0) {
            segments.erase(segments.end() - (newerLive == 0 ? 1 : 2));
            continue;
        }
        if (olderLive > 2 * newerLive) break;
        // A merge holds both segments in memory: past this size they stay apart.
        if (olderLive + newerLive > kMaxMergedDocs) break;
        SearchSegment loaded[2];
        const SegmentEntry* entries[2] = {&older, &newer};
        bool readable = true;
        for (int k = 0; k < 2 && readable; ++k) {
            if (const auto it = inMemory.find(entries[k]->id); it != inMemory.end()) {
                loaded[k] = std::move(it->second);
                loaded[k].dead = entries[k]->dead;
                inMemory.erase(it);
            } else {
                readable = files.segment(*entries[k], loaded[k]);
            }
        }
        if (!readable) {
            // A damaged older segment is dropped; its messages come back with a rebuild.
            segments.erase(segments.end() - 2);
            continue;
        }
        SearchSegment merged = mergeSegments(loaded[0], loaded[1], nextId++);
        if (fresh_.count(older.id) && fresh_.count(newer.id)) {
            fresh_.insert(merged.id);
        } else {
            fresh_.erase(merged.id);
        }
        segments.pop_back();
        writeSegment(merged, segments.back());
        inMemory.emplace(merged.id, std::move(merged));
    }

    // Only what the list names stays fresh: an id that went may come again.
    std::erase_if(fresh_, [&segments](uint32_t id) {
        return std::none_of(segments.begin(), segments.end(), [id](const SegmentEntry& entry) { return entry.id == id; });
    });
    ok = written.commit() && ok;
    OutputFile list;
    ok = ok && list.createStaged(folder + std::string(kManifestName)) && list.write(manifestFile(manifest)) &&
         list.commit(CreateMode::Always);
    if (!ok) {
        list.discard();
        for (const std::string& path : newFiles) removeFile(path);
        return false;
    }

    // The files of segments the list no longer names, and leftovers of runs that failed.
    std::set<uint32_t> listed;
    for (const SegmentEntry& entry : segments) listed.insert(entry.id);
    std::vector<FolderEntry> entries;
    if (listFolder(folder, entries)) {
        for (const FolderEntry& entry : entries) {
            uint32_t segment = 0;
            if (!entry.isFolder && segmentOfFileName(entry.name, segment) && listed.count(segment) == 0) removeFile(folder + entry.name);
        }
    }
    removeStaleTemporaries(folder);

    PageFiles pages;
    ok = pages.write(root_ + "/search.html", searchPage()) && ok;
    ok = pages.write(root_ + "/" + std::string(kSearchScriptPath), searchScript()) && ok;
    return pages.commit() && ok;
}

std::vector<std::string> searchArchive(const std::string& root, std::string_view text, std::string* error) {
    std::string problem;
    std::vector<std::string> paths;
    SearchQuery query;
    if (!parseQuery(text, query, problem)) {
        if (error != nullptr) *error = problem;
        return paths;
    }
    if (query.asksNothing()) return paths;
    const std::string folder = searchFilesPath(root);
    SearchFolder files(folder);
    SearchManifest manifest;
    if (!files.manifest(manifest)) {
        if (error != nullptr) {
            *error = pathExists(folder + std::string(kManifestName)) ? "the search files are damaged (index.js)"
                                                                    : "this archive has no search files";
        }
        return paths;
    }
    struct Hit {
        int64_t time;
        size_t segment;  // its place in the list: later is newer
        uint32_t number;
    };
    std::vector<Hit> hits;
    const auto damaged = [&](const std::string& name) {
        if (error != nullptr) *error = "the search files are damaged (" + name + ")";
        return std::vector<std::string>();
    };
    for (size_t place = 0; place < manifest.segments.size(); ++place) {
        const SegmentEntry& entry = manifest.segments[place];
        std::vector<int64_t> times;
        if (!files.times(entry, times)) return damaged(timesFileName(entry.id));
        std::vector<uint8_t> live(entry.docs, 1);
        for (const uint32_t dead : entry.dead) live[dead] = 0;
        for (const QueryCondition& condition : query.conditions) {
            std::vector<uint8_t> found(entry.docs, 0);
            for (const size_t shard : termFilesFor(entry, condition.term, condition.prefix)) {
                const auto* terms = files.terms(entry, shard);
                if (terms == nullptr) return damaged(termFileName(entry.id, shard));
                for (const auto& [term, code] : *terms) {
                    const bool matches = condition.prefix ? std::string_view(term).substr(0, condition.term.size()) == condition.term
                                                          : term == condition.term;
                    if (!matches) continue;
                    std::vector<uint32_t> ids;
                    if (!decodeIds(code, entry.docs, ids)) return damaged(termFileName(entry.id, shard));
                    for (const uint32_t id : ids) found[id] = 1;
                }
            }
            for (size_t k = 0; k < live.size(); ++k) live[k] &= found[k];
        }
        for (uint32_t number = 0; number < entry.docs; ++number) {
            if (live[number] == 0) continue;
            if (query.before && times[number] >= *query.before) continue;
            if (query.after && times[number] < *query.after) continue;
            hits.push_back(Hit{times[number], place, number});
        }
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.time != b.time) return a.time > b.time;
        if (a.segment != b.segment) return a.segment > b.segment;
        return a.number < b.number;
    });
    for (const Hit& hit : hits) {
        const SegmentEntry& entry = manifest.segments[hit.segment];
        const size_t chunk = hit.number / kDocsPerChunk;
        const std::vector<SearchDoc>* docs = files.docs(entry, chunk);
        if (docs == nullptr) return damaged(docsFileName(entry.id, chunk));
        paths.push_back((*docs)[hit.number % kDocsPerChunk].path);
    }
    return paths;
}

}  // namespace tessaly
