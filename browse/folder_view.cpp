// folder_view.cpp - the sorted, threaded and named view of one folder.
#include "browse/folder_view.h"

#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "browse/browse_paths.h"
#include "browse/page_names.h"

namespace tessaly {

namespace {

// A thread page's name comes from its oldest message, so it stays the same
// while the conversation grows and bookmarks keep working.
std::string threadKey(const CatalogueRow& row) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    auto add = [&](const std::string& text) {
        for (const char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        hash ^= 0xff;
        hash *= 1099511628211ull;
    };
    add(row.path);
    add(row.messageId);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
    std::string key;
    for (int i = 0; i < 10; ++i, hash >>= 5) key += kDigits[hash & 31];
    return key;
}

}  // namespace

FolderView makeFolderView(const FolderSummary& folder, const std::vector<CatalogueRow>& rows) {
    const std::string pages = folder.pages.empty() ? folderPagesRelative(folder.dir) : folder.pages;
    FolderView view{folder, rows, {}, pages, {}, {}, {}};
    view.title = folder.name;
    if (view.title.empty()) view.title = folder.dir.empty() ? "Top folder" : folder.dir.substr(0, folder.dir.size() - 1);

    view.newestFirst.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) view.newestFirst[i] = i;
    std::sort(view.newestFirst.begin(), view.newestFirst.end(), [&](size_t a, size_t b) {
        const CatalogueRow& x = rows[a];
        const CatalogueRow& y = rows[b];
        if (x.date != y.date) return x.date > y.date;
        return std::tie(x.path, x.messageId, x.subject, x.from, x.id) < std::tie(y.path, y.messageId, y.subject, y.from, y.id);
    });

    view.threads = buildThreads(rows);
    view.threadPages.resize(view.threads.size());
    std::unordered_set<std::string> taken;
    for (size_t t = 0; t < view.threads.size(); ++t) {
        const Thread& thread = view.threads[t];
        if (thread.messages.size() < 2) continue;
        // The oldest message, whichever its place in the thread.
        size_t oldest = thread.messages.front().row;
        for (const ThreadMessage& m : thread.messages) {
            if (std::tie(rows[m.row].date, rows[m.row].path) < std::tie(rows[oldest].date, rows[oldest].path)) oldest = m.row;
        }
        const std::string key = threadKey(rows[oldest]);
        std::string name = threadPageName(key);
        for (int n = 2; !taken.insert(name).second; ++n) name = threadPageName(key + "-" + std::to_string(n));
        view.threadPages[t] = name;
    }
    return view;
}

}  // namespace tessaly
