// threads.cpp - JWZ threading over catalogue rows, with Gmail thread ids and
// subject grouping for mail without ids.
//
// Every step runs in the rows' canonical order (date, then the other
// fields), never in input order, so the same set of rows always gives the
// same threads. Nothing recurses: replies can nest as deep as the folder
// has messages.
#include "browse/threads.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "browse/thread_ids.h"
#include "browse/thread_subject.h"

namespace tessaly {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

auto sortKey(const CatalogueRow& r) {
    return std::tie(r.date, r.path, r.messageId, r.subject, r.from, r.to, r.cc, r.threadId, r.inReplyTo,
                    r.references, r.contentKey, r.text, r.id, r.dir, r.folder);
}

struct Container {
    uint32_t row = kNone;     // the message holding this id, or none (empty)
    uint32_t strong = kNone;  // the parent the message's own headers name
    uint32_t weak = kNone;    // the parent another message's References presumed
};

class Threader {
public:
    explicit Threader(const std::vector<CatalogueRow>& rows) : rows_(rows) {}

    std::vector<Thread> run() {
        order();
        linkContainers();
        breakCycles();
        findAncestors();
        groupRows();
        mergeBySubject();
        return threads();
    }

private:
    void order() {
        order_.resize(rows_.size());
        for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
        std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            return sortKey(rows_[a]) < sortKey(rows_[b]);
        });
        rank_.resize(rows_.size());
        for (uint32_t i = 0; i < order_.size(); ++i) rank_[order_[i]] = i;
    }

    uint32_t newContainer(uint32_t row) {
        containers_.push_back({row, kNone, kNone});
        return static_cast<uint32_t>(containers_.size() - 1);
    }

    uint32_t containerFor(std::string_view id) {
        const auto [it, added] = ids_.try_emplace(id, 0);
        if (added) it->second = newContainer(kNone);
        return it->second;
    }

    void linkContainers() {
        containers_.reserve(rows_.size() * 2);
        ids_.reserve(rows_.size() * 2);
        rowContainer_.assign(rows_.size(), kNone);
        hasParentIds_.assign(rows_.size(), false);
        for (const uint32_t r : order_) {
            const CatalogueRow& row = rows_[r];
            const std::string_view own = messageIdOf(row.messageId);
            uint32_t c = kNone;
            if (!own.empty()) {
                const auto it = ids_.find(own);
                if (it == ids_.end()) {
                    c = newContainer(r);
                    ids_.emplace(own, c);
                } else if (containers_[it->second].row == kNone) {
                    c = it->second;
                    containers_[c].row = r;
                }
            }
            // No id, or one an earlier message holds already.
            if (c == kNone) c = newContainer(r);
            rowContainer_[r] = c;

            std::vector<std::string_view> chain;
            for (const std::string_view id : messageIds(row.references)) {
                if (id != own) chain.push_back(id);
            }
            if (chain.empty()) {
                const std::string_view replyTo = messageIdOf(row.inReplyTo);
                if (!replyTo.empty() && replyTo != own) chain.push_back(replyTo);
            }
            if (chain.empty()) continue;
            hasParentIds_[r] = true;
            for (size_t i = 0; i + 1 < chain.size(); ++i) {
                const uint32_t parent = containerFor(chain[i]);
                const uint32_t child = containerFor(chain[i + 1]);
                if (parent != child && containers_[child].weak == kNone) containers_[child].weak = parent;
            }
            const uint32_t parent = containerFor(chain.back());
            if (parent != c) containers_[c].strong = parent;
        }
        parent_.resize(containers_.size());
        for (size_t c = 0; c < containers_.size(); ++c) {
            parent_[c] = containers_[c].strong != kNone ? containers_[c].strong : containers_[c].weak;
        }
    }

    // Each container has at most one parent, so every cycle is found by
    // walking up from somewhere; it is cut above its oldest message (or its
    // first container when it holds no message).
    void breakCycles() {
        std::vector<uint8_t> state(containers_.size(), 0);  // 0 new, 1 on this walk, 2 done
        std::vector<uint32_t> walk;
        for (uint32_t start = 0; start < containers_.size(); ++start) {
            walk.clear();
            uint32_t x = start;
            while (x != kNone && state[x] == 0) {
                state[x] = 1;
                walk.push_back(x);
                x = parent_[x];
            }
            if (x != kNone && state[x] == 1) {
                const auto from = std::find(walk.begin(), walk.end(), x);
                uint32_t cut = *from;
                for (auto it = from; it != walk.end(); ++it) {
                    if (better(*it, cut)) cut = *it;
                }
                parent_[cut] = kNone;
            }
            for (const uint32_t y : walk) state[y] = 2;
        }
    }

    bool better(uint32_t a, uint32_t b) const {
        const uint32_t ra = containers_[a].row;
        const uint32_t rb = containers_[b].row;
        if ((ra != kNone) != (rb != kNone)) return ra != kNone;
        if (ra != kNone) return rank_[ra] < rank_[rb];
        return a < b;
    }

    // The nearest ancestor holding a message, and the top of each tree.
    void findAncestors() {
        realUp_.assign(containers_.size(), kNone);
        top_.assign(containers_.size(), kNone);
        std::vector<uint32_t> walk;
        for (uint32_t start = 0; start < containers_.size(); ++start) {
            for (uint32_t x = start; x != kNone && top_[x] == kNone; x = parent_[x]) walk.push_back(x);
            while (!walk.empty()) {
                const uint32_t y = walk.back();
                walk.pop_back();
                const uint32_t p = parent_[y];
                if (p == kNone) {
                    top_[y] = y;
                } else {
                    top_[y] = top_[p];
                    realUp_[y] = containers_[p].row != kNone ? p : realUp_[p];
                }
            }
        }
    }

    uint32_t find(uint32_t r) {
        while (union_[r] != r) {
            union_[r] = union_[union_[r]];
            r = union_[r];
        }
        return r;
    }
    void unite(uint32_t a, uint32_t b) {
        a = find(a);
        b = find(b);
        if (a != b) union_[std::max(a, b)] = std::min(a, b);
    }

    void groupRows() {
        const size_t n = rows_.size();
        union_.resize(n);
        for (uint32_t r = 0; r < n; ++r) union_[r] = r;
        treeParent_.assign(n, kNone);
        std::vector<uint32_t> firstRoot(containers_.size(), kNone);
        std::unordered_map<std::string_view, uint32_t> byThreadId;
        for (const uint32_t r : order_) {
            const uint32_t c = rowContainer_[r];
            if (realUp_[c] != kNone) {
                treeParent_[r] = containers_[realUp_[c]].row;
                unite(r, treeParent_[r]);
            } else {
                // Replies to one missing message stay together.
                uint32_t& first = firstRoot[top_[c]];
                if (first == kNone) first = r;
                unite(r, first);
            }
            if (!rows_[r].threadId.empty()) {
                const auto [it, added] = byThreadId.try_emplace(rows_[r].threadId, r);
                if (!added) unite(r, it->second);
            }
        }
        std::vector<uint32_t> groupOf(n, kNone);
        for (const uint32_t r : order_) {
            uint32_t& g = groupOf[find(r)];
            if (g == kNone) {
                g = static_cast<uint32_t>(groups_.size());
                groups_.emplace_back();
            }
            Group& group = groups_[g];
            group.members.push_back(r);
            if (treeParent_[r] == kNone && group.root == kNone) group.root = r;
            if (!rows_[r].threadId.empty()) group.gmail = true;
        }
    }

    void mergeBySubject() {
        struct SameSubject {
            std::vector<uint32_t> anchors;      // groups, by their root's rank
            std::vector<uint32_t> attachables;  // the same
        };
        std::unordered_map<std::string, SameSubject> bySubject;
        std::vector<uint32_t> byRootRank(groups_.size());
        for (uint32_t g = 0; g < groups_.size(); ++g) byRootRank[g] = g;
        std::sort(byRootRank.begin(), byRootRank.end(),
                  [&](uint32_t a, uint32_t b) { return rank_[groups_[a].root] < rank_[groups_[b].root]; });
        for (const uint32_t g : byRootRank) {
            Group& group = groups_[g];
            const CatalogueRow& root = rows_[group.root];
            const ThreadSubject subject = threadSubject(root.subject);
            group.reply = subject.reply;
            if (subject.key.empty()) continue;
            const bool attachable = !group.gmail && !hasParentIds_[group.root] &&
                                    (subject.reply || messageIdOf(root.messageId).empty());
            SameSubject& same = bySubject[subject.key];
            (attachable ? same.attachables : same.anchors).push_back(g);
        }
        // Visited in the groups' order, so the merges never depend on the
        // hash table's.
        for (const uint32_t g : byRootRank) {
            const Group& group = groups_[g];
            const ThreadSubject subject = threadSubject(rows_[group.root].subject);
            const auto it = bySubject.find(subject.key);
            if (it == bySubject.end() || it->second.attachables.empty()) continue;
            SameSubject& same = it->second;
            if (same.anchors.empty()) {
                // Only mail without ids: the first original, else the first.
                uint32_t target = same.attachables.front();
                for (const uint32_t a : same.attachables) {
                    if (!groups_[a].reply) {
                        target = a;
                        break;
                    }
                }
                same.anchors.push_back(target);
                same.attachables.erase(std::find(same.attachables.begin(), same.attachables.end(), target));
            }
            for (const uint32_t a : same.attachables) {
                const uint32_t rootRank = rank_[groups_[a].root];
                auto after = std::upper_bound(same.anchors.begin(), same.anchors.end(), rootRank,
                                              [&](uint32_t value, uint32_t anchor) {
                                                  return value < rank_[groups_[anchor].root];
                                              });
                attach(a, after == same.anchors.begin() ? same.anchors.front() : *(after - 1));
            }
            same.attachables.clear();
        }
    }

    void attach(uint32_t from, uint32_t to) {
        Group& source = groups_[from];
        Group& target = groups_[to];
        const bool answer = source.reply && !target.reply;
        for (const uint32_t r : source.members) {
            if (answer && treeParent_[r] == kNone) treeParent_[r] = target.root;
            target.members.push_back(r);
        }
        source.members.clear();
        target.merged = true;
    }

    std::vector<Thread> threads() {
        std::vector<Thread> out;
        std::vector<uint32_t> roots;
        std::vector<std::vector<uint32_t>> children(rows_.size());
        std::vector<std::pair<uint32_t, size_t>> stack;
        std::vector<uint32_t> firstRank;
        for (Group& group : groups_) {
            if (group.members.empty()) continue;
            if (group.merged) {
                std::sort(group.members.begin(), group.members.end(),
                          [&](uint32_t a, uint32_t b) { return rank_[a] < rank_[b]; });
            }
            Thread thread;
            thread.first = rows_[group.members.front()].date;
            thread.last = thread.first;
            roots.clear();
            for (const uint32_t r : group.members) {
                thread.first = std::min(thread.first, rows_[r].date);
                thread.last = std::max(thread.last, rows_[r].date);
                (treeParent_[r] == kNone ? roots : children[treeParent_[r]]).push_back(r);
            }
            thread.messages.reserve(group.members.size());
            for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.emplace_back(*it, 0);
            while (!stack.empty()) {
                const auto [r, depth] = stack.back();
                stack.pop_back();
                thread.messages.push_back({r, depth});
                for (auto it = children[r].rbegin(); it != children[r].rend(); ++it) stack.emplace_back(*it, depth + 1);
            }
            firstRank.push_back(rank_[group.root]);
            out.push_back(std::move(thread));
        }
        std::vector<uint32_t> index(out.size());
        for (uint32_t i = 0; i < index.size(); ++i) index[i] = i;
        std::sort(index.begin(), index.end(), [&](uint32_t a, uint32_t b) {
            if (out[a].last != out[b].last) return out[a].last > out[b].last;
            return firstRank[a] < firstRank[b];
        });
        std::vector<Thread> sorted;
        sorted.reserve(out.size());
        for (const uint32_t i : index) sorted.push_back(std::move(out[i]));
        return sorted;
    }

    struct Group {
        std::vector<uint32_t> members;  // canonical order unless merged
        uint32_t root = kNone;          // the oldest message without a parent
        bool gmail = false;
        bool reply = false;   // the root's subject has a reply prefix
        bool merged = false;  // took in groups by subject
    };

    const std::vector<CatalogueRow>& rows_;
    std::vector<uint32_t> order_;  // rows in canonical order
    std::vector<uint32_t> rank_;   // each row's place in it
    std::vector<Container> containers_;
    std::unordered_map<std::string_view, uint32_t> ids_;
    std::vector<uint32_t> rowContainer_;
    std::vector<bool> hasParentIds_;
    std::vector<uint32_t> parent_;
    std::vector<uint32_t> realUp_;
    std::vector<uint32_t> top_;
    std::vector<uint32_t> union_;
    std::vector<uint32_t> treeParent_;
    std::vector<Group> groups_;
};

}  // namespace

std::vector<Thread> buildThreads(const std::vector<CatalogueRow>& rows) { return Threader(rows).run(); }

}  // namespace tessaly
