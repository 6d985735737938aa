// catalogue.h - the archive's catalogue: one row per archived message, kept
// in the archive folder (.tessaly/catalogue.sqlite), from which the browse
// pages and the search files are made. A message's text is not kept in it:
// it is in the message's own file, and the search files are made from it
// while the run has it at hand.
//
// It is derived data: every row can be read back from the page or EML
// file, so a damaged catalogue is set aside and rebuilt, never a reason to
// stop archiving. Rows follow the files: a message's rows are stored as
// pending before its files are synced and renamed into place, and settled
// after; pending rows an interrupted run left are settled by whether their
// file is in place. So after a kill at any moment, every file in place has
// its row and every row points at a file in place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/catalogue_row.h"

struct sqlite3;

namespace tessaly {

// One archive folder as the catalogue sees it.
struct CatalogueFolder {
    std::string dir;      // "" for the root, else ending in "/"
    std::string name;     // the source folder's name its pages show
    uint64_t messages = 0;
    int64_t first = 0;    // the oldest and newest message's time
    int64_t last = 0;
};

// One Gmail label as the catalogue sees it.
struct CatalogueLabel {
    std::string label;
    uint64_t messages = 0;
    int64_t first = 0;    // the oldest and newest message's time
    int64_t last = 0;
};

// The catalogue file's path below the archive root.
std::string cataloguePath(const std::string& root);

class Catalogue {
public:
    // Opens the catalogue of the archive at `root`, creating it (and its
    // folder) when missing. One that cannot be read is renamed aside
    // ("catalogue.sqlite.damaged") and a new one begun; `note` then says so.
    // Null when no catalogue can be had at all (a read-only archive, say).
    static std::unique_ptr<Catalogue> open(const std::string& root, std::string* note);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // True when the catalogue was begun by this open, its rebuild was cut
    // short, or it was made before labels were kept: the archive's files (of
    // earlier versions, or copied from elsewhere) are not all in it yet.
    bool isNew() const { return isNew_; }
    const std::string& root() const { return root_; }

    // Stores rows whose files are about to be put in place, as pending;
    // gives each its id. False when the catalogue cannot be written.
    bool addPending(std::vector<CatalogueRow>& rows);
    // After the files moved: the rows of `placed` become the archive's,
    // those of `failed` go.
    void settle(const std::vector<int64_t>& placed, const std::vector<int64_t>& failed);
    // The pending rows an interrupted run left: kept when their file is in
    // place, else removed.
    void settleInterrupted();
    // Removes every row (before a rebuild from the files).
    bool clear();
    // Whether every file of the archive has its row: false while a rebuild
    // runs, so that one cut short is done again by the next open. True also
    // records that the rows carry their labels.
    void markComplete(bool complete);

    // Every folder with messages, by dir.
    std::vector<CatalogueFolder> folders();
    // Messages by year (newest year first).
    std::vector<std::pair<int, uint64_t>> years();
    // The settled rows of one folder, oldest first (without texts).
    std::vector<CatalogueRow> rowsIn(const std::string& dir);
    // Folders whose browse pages are older than their rows.
    std::vector<std::string> staleFolders();
    void markFoldersCurrent(const std::vector<std::string>& dirs);
    // Every label of settled rows, by label.
    std::vector<CatalogueLabel> labels();
    // The settled rows with `label`, oldest first (without texts).
    std::vector<CatalogueRow> rowsLabelled(const std::string& label);
    // Labels whose browse pages are older than their rows.
    std::vector<std::string> staleLabels();
    void markLabelsCurrent(const std::vector<std::string>& labels);
    // Settled rows not yet in the search files (without texts), in id
    // order; then markSearched for those handed out.
    void forEachUnsearched(const std::function<void(const CatalogueRow&)>& take);
    void markSearched(int64_t upToId);
    // Every row back to "not in the search files" (before a rebuild of them).
    void markAllUnsearched();
    // Settled rows in all.
    uint64_t messageCount();
    // The largest id of any row, 0 when there is none.
    int64_t lastId();

private:
    Catalogue(sqlite3* db, std::string root, bool isNew);
    bool execute(const char* sql);

    sqlite3* db_;
    std::string root_;
    bool isNew_;
};

}  // namespace tessaly
