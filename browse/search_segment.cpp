// search_segment.cpp - building segments from rows and merging them.
#include "browse/search_segment.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "browse/page_text.h"
#include "browse/search_query.h"
#include "browse/search_terms.h"
#include "message/charsets.h"

namespace tessaly {

namespace {

constexpr size_t kSnippetBytes = 90;
constexpr size_t kFieldBytes = 120;

// `text` valid UTF-8 and at most about `limit` bytes, cut at a character.
std::string shortText(std::string_view text, size_t limit) {
    std::string out = ensureUtf8(text);
    if (out.size() <= limit) return out;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
    return out + "...";
}

// Segment order of messages, with the permutation that sorts them.
template <typename Time, typename Path>
std::vector<uint32_t> sortedOrder(size_t count, Time time, Path path) {
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return newerFirst(time(a), path(a), time(b), path(b)); });
    return order;
}

}  // namespace

bool newerFirst(int64_t timeA, const std::string& pathA, int64_t timeB, const std::string& pathB) {
    if (timeA != timeB) return timeA > timeB;
    return pathA < pathB;
}

uint32_t SegmentBuilder::termNumber(std::string_view term) {
    const auto found = numbers_.find(term);
    if (found != numbers_.end()) return found->second;
    const auto number = static_cast<uint32_t>(names_.size());
    numbers_.emplace(std::string(term), number);
    names_.emplace_back(term);
    return number;
}

void SegmentBuilder::add(const CatalogueRow& row) {
    Pending pending;
    pending.doc.path = ensureUtf8(row.path);
    pending.doc.from = shortText(personName(row.from), kFieldBytes);
    pending.doc.subject = shortText(row.subject, kFieldBytes);
    pending.doc.snippet = ensureUtf8(textSnippet(row.text, kSnippetBytes));
    pending.time = row.date;

    const uint64_t stamp = ++adds_;
    const auto addTerms = [&](std::string_view text, char field) {
        const std::string folded = foldText(text);
        forEachTerm(folded, [&](const Term& term) {
            const uint32_t number = field == 0 ? termNumber(term.text) : termNumber(fieldTerm(field, term.text));
            if (number >= lastAdd_.size()) lastAdd_.resize(names_.size(), 0);
            if (lastAdd_[number] == stamp) return;
            lastAdd_[number] = stamp;
            pending.terms.push_back(number);
        });
    };
    addTerms(row.text, 0);
    addTerms(row.subject, 0);
    addTerms(row.from, 0);
    addTerms(row.to, 0);
    addTerms(row.cc, 0);
    for (const CatalogueAttachment& attachment : row.attachments) addTerms(attachment.name, 0);
    addTerms(row.from, 'f');
    addTerms(row.subject, 's');

    const auto [it, added] = byPath_.try_emplace(pending.doc.path, pending_.size());
    if (added) {
        pending_.push_back(std::move(pending));
    } else {
        pending_[it->second] = std::move(pending);
    }
}

std::vector<std::string> SegmentBuilder::paths() const {
    std::vector<std::string> paths;
    paths.reserve(pending_.size());
    for (const Pending& pending : pending_) paths.push_back(pending.doc.path);
    return paths;
}

SearchSegment SegmentBuilder::build(uint32_t id) {
    SearchSegment segment;
    segment.id = id;
    const std::vector<uint32_t> order = sortedOrder(
        pending_.size(), [&](uint32_t k) { return pending_[k].time; }, [&](uint32_t k) -> const std::string& { return pending_[k].doc.path; });
    std::vector<std::vector<uint32_t>> lists(names_.size());
    for (uint32_t number = 0; number < order.size(); ++number) {
        Pending& pending = pending_[order[number]];
        for (const uint32_t term : pending.terms) lists[term].push_back(number);
        segment.docs.push_back(std::move(pending.doc));
        segment.times.push_back(pending.time);
    }
    for (size_t term = 0; term < names_.size(); ++term) {
        if (!lists[term].empty()) segment.postings.emplace(names_[term], std::move(lists[term]));
    }
    *this = SegmentBuilder();
    return segment;
}

SearchSegment mergeSegments(const SearchSegment& older, const SearchSegment& newer, uint32_t id) {
    // Every live message of both, as (segment, number).
    struct Source {
        const SearchSegment* segment;
        uint32_t number;
    };
    std::vector<Source> sources;
    std::unordered_set<std::string> newerPaths;
    for (const SearchSegment* segment : {&newer, &older}) {
        size_t deadAt = 0;
        for (uint32_t number = 0; number < segment->docs.size(); ++number) {
            if (deadAt < segment->dead.size() && segment->dead[deadAt] == number) {
                ++deadAt;
                continue;
            }
            const std::string& path = segment->docs[number].path;
            if (segment == &newer) {
                newerPaths.insert(path);
            } else if (newerPaths.count(path) != 0) {
                continue;
            }
            sources.push_back(Source{segment, number});
        }
    }
    const std::vector<uint32_t> order = sortedOrder(
        sources.size(), [&](uint32_t k) { return sources[k].segment->times[sources[k].number]; },
        [&](uint32_t k) -> const std::string& { return sources[k].segment->docs[sources[k].number].path; });

    // New numbers of the old ones; absent messages map to none.
    constexpr uint32_t kNone = UINT32_MAX;
    std::vector<uint32_t> fromOlder(older.docs.size(), kNone), fromNewer(newer.docs.size(), kNone);
    SearchSegment merged;
    merged.id = id;
    for (uint32_t number = 0; number < order.size(); ++number) {
        const Source& source = sources[order[number]];
        (source.segment == &newer ? fromNewer : fromOlder)[source.number] = number;
        merged.docs.push_back(source.segment->docs[source.number]);
        merged.times.push_back(source.segment->times[source.number]);
    }
    const auto addPostings = [&](const SearchSegment& segment, const std::vector<uint32_t>& renumber) {
        for (const auto& [term, ids] : segment.postings) {
            std::vector<uint32_t>& list = merged.postings[term];
            for (const uint32_t old : ids) {
                if (renumber[old] != kNone) list.push_back(renumber[old]);
            }
        }
    };
    addPostings(older, fromOlder);
    addPostings(newer, fromNewer);
    for (auto it = merged.postings.begin(); it != merged.postings.end();) {
        std::vector<uint32_t>& list = it->second;
        if (list.empty()) {
            it = merged.postings.erase(it);
            continue;
        }
        std::sort(list.begin(), list.end());
        ++it;
    }
    return merged;
}

}  // namespace tessaly
