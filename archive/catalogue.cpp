// catalogue.cpp - the catalogue kept in SQLite: an embedded database that
// survives crashes (write-ahead log), readable by any SQLite of the future.
#include "archive/catalogue.h"

#include <sqlite3.h>

#include <utility>

#include "platform/files.h"

namespace tessaly {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS messages("
    " id INTEGER PRIMARY KEY,"
    " path TEXT NOT NULL UNIQUE,"      // page or EML file, relative to the archive root
    " dir TEXT NOT NULL,"              // its folder, "" or ending in "/"
    " folder TEXT NOT NULL,"           // the source folder's name
    " date INTEGER NOT NULL,"          // seconds since 1970 UTC
    " sender TEXT NOT NULL, recipients TEXT NOT NULL, cc TEXT NOT NULL, subject TEXT NOT NULL,"
    " message_id TEXT NOT NULL, in_reply_to TEXT NOT NULL, refs TEXT NOT NULL, thread_id TEXT NOT NULL,"
    " content_key TEXT NOT NULL,"
    " placed INTEGER NOT NULL,"        // 0 while its files are being put in place
    " searched INTEGER NOT NULL);"     // 1 once it is in the search files
    "CREATE INDEX IF NOT EXISTS messages_by_dir ON messages(dir, date);"
    "CREATE INDEX IF NOT EXISTS messages_pending ON messages(placed) WHERE placed = 0;"
    "CREATE TABLE IF NOT EXISTS attachments("
    " message INTEGER NOT NULL, name TEXT NOT NULL, path TEXT NOT NULL, size INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS attachments_by_message ON attachments(message);"
    "CREATE TABLE IF NOT EXISTS stale_folders(dir TEXT PRIMARY KEY);"
    // A message's Gmail labels, in their order (rowid).
    "CREATE TABLE IF NOT EXISTS message_labels(message INTEGER NOT NULL, label TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS message_labels_by_message ON message_labels(message);"
    "CREATE INDEX IF NOT EXISTS message_labels_by_label ON message_labels(label, message);"
    "CREATE TABLE IF NOT EXISTS stale_labels(label TEXT PRIMARY KEY);"
    // "complete" = "1" once every file of the archive has its row; "labels"
    // = "1" once the rows carry their labels (catalogues made before labels
    // were kept are made anew from the files).
    "CREATE TABLE IF NOT EXISTS facts(name TEXT PRIMARY KEY, value TEXT NOT NULL);";

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }
    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, int64_t value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
    bool run() {
        const int result = step();
        sqlite3_reset(statement_);
        return result == SQLITE_DONE || result == SQLITE_ROW;
    }
    void reset() {
        if (statement_) sqlite3_reset(statement_);
    }
    std::string text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return data ? std::string(data, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
    }
    int64_t number(int column) const { return sqlite3_column_int64(statement_, column); }

private:
    sqlite3_stmt* statement_ = nullptr;
};

// SQLite opens its files by name, so a link at .tessaly or at one of them
// would take the catalogue's writes anywhere. The database is opened by
// the root's own path (the root may be a link the user chose) and refused
// by SQLite when a link is met below it.
sqlite3* openDatabase(const std::string& root, const std::string& path) {
    const std::string real = canonicalPath(root) + path.substr(root.size());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(real.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    return db;
}

bool executeOn(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

// Whether `db` is a catalogue that can be used: a database (a file of
// anything else fails the first statement) with our tables. Damage inside
// shows when its pages are read; a write that fails drops the catalogue
// for the next run to rebuild. (A full integrity check would read the
// whole file at every run.)
bool usable(sqlite3* db) {
    // No sync of its own at each commit: the batch's sync of the whole file
    // system makes the log durable together with the files it describes.
    if (!executeOn(db, "PRAGMA journal_mode=WAL") || !executeOn(db, "PRAGMA synchronous=NORMAL") ||
        !executeOn(db, kSchema)) {
        return false;
    }
    Statement check(db, "SELECT count(*) FROM facts");
    return check.ok() && check.step() == SQLITE_ROW;
}

// The catalogue at `path` (below `root`) opened and usable, or null. Where the file
// system cannot share a memory map of the log's index (fusefat), the log
// does without one: the catalogue is then locked for this process alone.
sqlite3* openUsable(const std::string& root, const std::string& path) {
    sqlite3* db = openDatabase(root, path);
    if (db && usable(db)) return db;
    const int error = db ? sqlite3_extended_errcode(db) : SQLITE_OK;
    sqlite3_close(db);
    if (error != SQLITE_IOERR_SHMOPEN && error != SQLITE_IOERR_SHMSIZE && error != SQLITE_IOERR_SHMMAP &&
        error != SQLITE_IOERR_SHMLOCK) {
        return nullptr;
    }
    db = openDatabase(root, path);
    if (db && executeOn(db, "PRAGMA locking_mode=EXCLUSIVE") && usable(db)) return db;
    sqlite3_close(db);
    return nullptr;
}

constexpr const char* kRowColumns =
    "id, path, dir, folder, date, sender, recipients, cc, subject, message_id, in_reply_to, refs, thread_id, "
    "content_key";

CatalogueRow readRow(const Statement& query) {
    CatalogueRow row;
    row.id = query.number(0);
    row.path = query.text(1);
    row.dir = query.text(2);
    row.folder = query.text(3);
    row.date = query.number(4);
    row.from = query.text(5);
    row.to = query.text(6);
    row.cc = query.text(7);
    row.subject = query.text(8);
    row.messageId = query.text(9);
    row.inReplyTo = query.text(10);
    row.references = query.text(11);
    row.threadId = query.text(12);
    row.contentKey = query.text(13);
    return row;
}

// The attachments and labels of the rows, by their ids (rows sorted by id
// or not).
void readAttachments(sqlite3* db, std::vector<CatalogueRow>& rows) {
    Statement query(db, "SELECT name, path, size FROM attachments WHERE message = ?1 ORDER BY rowid");
    Statement labels(db, "SELECT label FROM message_labels WHERE message = ?1 ORDER BY rowid");
    for (CatalogueRow& row : rows) {
        query.bind(1, row.id);
        while (query.step() == SQLITE_ROW) {
            row.attachments.push_back({query.text(0), query.text(1), static_cast<uint64_t>(query.number(2))});
        }
        query.reset();
        labels.bind(1, row.id);
        while (labels.step() == SQLITE_ROW) row.labels.push_back(labels.text(0));
        labels.reset();
    }
}

}  // namespace

std::string cataloguePath(const std::string& root) { return root + "/.tessaly/catalogue.sqlite"; }

Catalogue::Catalogue(sqlite3* db, std::string root, bool isNew) : db_(db), root_(std::move(root)), isNew_(isNew) {}

Catalogue::~Catalogue() { sqlite3_close(db_); }

std::unique_ptr<Catalogue> Catalogue::open(const std::string& root, std::string* note) {
    const std::string folder = root + "/.tessaly";
    const std::string path = cataloguePath(root);
    // A link in their place is left alone, and no catalogue is kept.
    for (const std::string& own : {folder, path, path + "-wal", path + "-shm", path + "-journal"}) {
        if (isLink(own)) return nullptr;
    }
    if (!isFolder(folder)) createFolderPath(folder);
    const bool existed = pathExists(path);
    sqlite3* db = openUsable(root, path);
    if (db) {
        Statement complete(db, "SELECT count(*) FROM facts WHERE name IN ('complete', 'labels') AND value = '1'");
        const bool whole = existed && complete.step() == SQLITE_ROW && complete.number(0) == 2;
        return std::unique_ptr<Catalogue>(new Catalogue(db, root, !whole));
    }
    if (!existed) return nullptr;
    // Set aside, with its log, for whoever wants to look at it; begin anew.
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const std::string from = path + suffix;
        if (pathExists(from)) renameFile(from, path + ".damaged" + suffix);
    }
    if (note) *note = "the catalogue " + path + " could not be read; it was set aside as " + path + ".damaged and is made anew";
    db = openUsable(root, path);
    if (!db) return nullptr;
    return std::unique_ptr<Catalogue>(new Catalogue(db, root, true));
}

bool Catalogue::execute(const char* sql) { return executeOn(db_, sql); }

bool Catalogue::addPending(std::vector<CatalogueRow>& rows) {
    if (rows.empty()) return true;
    if (!execute("BEGIN IMMEDIATE")) return false;
    Statement insert(db_,
                     "INSERT OR REPLACE INTO messages(path, dir, folder, date, sender, recipients, cc, subject, "
                     "message_id, in_reply_to, refs, thread_id, content_key, placed, searched) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, 0, 0)");
    Statement attach(db_, "INSERT INTO attachments(message, name, path, size) VALUES(?1, ?2, ?3, ?4)");
    Statement stale(db_, "INSERT OR IGNORE INTO stale_folders(dir) VALUES(?1)");
    Statement label(db_, "INSERT INTO message_labels(message, label) VALUES(?1, ?2)");
    Statement staleLabel(db_, "INSERT OR IGNORE INTO stale_labels(label) VALUES(?1)");
    // A row of the same path (its file removed by hand, now written anew)
    // goes, and the pages of the labels it had are made again.
    Statement replaced(db_, "DELETE FROM attachments WHERE message IN (SELECT id FROM messages WHERE path = ?1)");
    Statement replacedLabelsStale(db_,
                                  "INSERT OR IGNORE INTO stale_labels(label) SELECT label FROM message_labels "
                                  "WHERE message IN (SELECT id FROM messages WHERE path = ?1)");
    Statement replacedLabels(db_,
                             "DELETE FROM message_labels WHERE message IN (SELECT id FROM messages WHERE path = ?1)");
    bool ok = insert.ok() && attach.ok() && stale.ok() && label.ok() && staleLabel.ok() && replaced.ok() &&
              replacedLabelsStale.ok() && replacedLabels.ok();
    for (CatalogueRow& row : rows) {
        if (!ok) break;
        ok = replaced.bind(1, row.path).run() && replacedLabelsStale.bind(1, row.path).run() &&
             replacedLabels.bind(1, row.path).run();
        insert.bind(1, row.path).bind(2, row.dir).bind(3, row.folder).bind(4, row.date).bind(5, row.from);
        insert.bind(6, row.to).bind(7, row.cc).bind(8, row.subject).bind(9, row.messageId).bind(10, row.inReplyTo);
        insert.bind(11, row.references).bind(12, row.threadId).bind(13, row.contentKey);
        ok = insert.run();
        row.id = sqlite3_last_insert_rowid(db_);
        for (const CatalogueAttachment& attachment : row.attachments) {
            attach.bind(1, row.id).bind(2, attachment.name).bind(3, attachment.path);
            attach.bind(4, static_cast<int64_t>(attachment.size));
            ok = ok && attach.run();
        }
        for (const std::string& name : row.labels) {
            ok = ok && label.bind(1, row.id).bind(2, name).run() && staleLabel.bind(1, name).run();
        }
        ok = ok && stale.bind(1, row.dir).run();
    }
    if (ok && execute("COMMIT")) return true;
    execute("ROLLBACK");
    for (CatalogueRow& row : rows) row.id = 0;
    return false;
}

void Catalogue::settle(const std::vector<int64_t>& placed, const std::vector<int64_t>& failed) {
    if (placed.empty() && failed.empty()) return;
    execute("BEGIN IMMEDIATE");
    Statement mark(db_, "UPDATE messages SET placed = 1 WHERE id = ?1");
    for (const int64_t id : placed) mark.bind(1, id).run();
    Statement drop(db_, "DELETE FROM messages WHERE id = ?1");
    Statement dropAttachments(db_, "DELETE FROM attachments WHERE message = ?1");
    Statement dropLabels(db_, "DELETE FROM message_labels WHERE message = ?1");
    for (const int64_t id : failed) {
        drop.bind(1, id).run();
        dropAttachments.bind(1, id).run();
        dropLabels.bind(1, id).run();
    }
    execute("COMMIT");
}

void Catalogue::settleInterrupted() {
    std::vector<int64_t> placed;
    std::vector<int64_t> failed;
    {
        Statement query(db_, "SELECT id, path FROM messages WHERE placed = 0");
        while (query.step() == SQLITE_ROW) {
            (pathExists(root_ + "/" + query.text(1)) ? placed : failed).push_back(query.number(0));
        }
    }
    settle(placed, failed);
}

void Catalogue::markComplete(bool complete) {
    Statement set(db_, "INSERT OR REPLACE INTO facts(name, value) VALUES('complete', ?1)");
    set.bind(1, std::string(complete ? "1" : "0")).run();
    if (!complete) return;
    // Every row is now made by a version that keeps labels.
    execute("INSERT OR REPLACE INTO facts(name, value) VALUES('labels', '1')");
    isNew_ = false;
}

bool Catalogue::clear() {
    return execute(
        "BEGIN IMMEDIATE; DELETE FROM messages; DELETE FROM attachments; DELETE FROM stale_folders; "
        "DELETE FROM message_labels; DELETE FROM stale_labels; COMMIT");
}

std::vector<CatalogueFolder> Catalogue::folders() {
    std::vector<CatalogueFolder> out;
    Statement query(db_,
                    "SELECT dir, count(*), min(date), max(date), "
                    "(SELECT folder FROM messages AS m WHERE m.dir = messages.dir AND m.placed = 1 "
                    " GROUP BY folder ORDER BY count(*) DESC, folder LIMIT 1) "
                    "FROM messages WHERE placed = 1 GROUP BY dir ORDER BY dir");
    while (query.step() == SQLITE_ROW) {
        CatalogueFolder folder;
        folder.dir = query.text(0);
        folder.messages = static_cast<uint64_t>(query.number(1));
        folder.first = query.number(2);
        folder.last = query.number(3);
        folder.name = query.text(4);
        out.push_back(std::move(folder));
    }
    return out;
}

std::vector<std::pair<int, uint64_t>> Catalogue::years() {
    std::vector<std::pair<int, uint64_t>> out;
    Statement query(db_,
                    "SELECT CAST(strftime('%Y', date, 'unixepoch') AS INTEGER) AS year, count(*) FROM messages "
                    "WHERE placed = 1 GROUP BY year ORDER BY year DESC");
    while (query.step() == SQLITE_ROW) {
        out.emplace_back(static_cast<int>(query.number(0)), static_cast<uint64_t>(query.number(1)));
    }
    return out;
}

std::vector<CatalogueRow> Catalogue::rowsIn(const std::string& dir) {
    std::vector<CatalogueRow> rows;
    const std::string sql =
        std::string("SELECT ") + kRowColumns + " FROM messages WHERE dir = ?1 AND placed = 1 ORDER BY date, id";
    Statement query(db_, sql.c_str());
    query.bind(1, dir);
    while (query.step() == SQLITE_ROW) rows.push_back(readRow(query));
    readAttachments(db_, rows);
    return rows;
}

std::vector<CatalogueLabel> Catalogue::labels() {
    std::vector<CatalogueLabel> out;
    Statement query(db_,
                    "SELECT l.label, count(*), min(m.date), max(m.date) FROM message_labels AS l "
                    "JOIN messages AS m ON m.id = l.message WHERE m.placed = 1 GROUP BY l.label ORDER BY l.label");
    while (query.step() == SQLITE_ROW) {
        out.push_back({query.text(0), static_cast<uint64_t>(query.number(1)), query.number(2), query.number(3)});
    }
    return out;
}

std::vector<CatalogueRow> Catalogue::rowsLabelled(const std::string& label) {
    std::vector<CatalogueRow> rows;
    const std::string sql = std::string("SELECT ") + kRowColumns +
                            " FROM messages WHERE placed = 1 AND id IN "
                            "(SELECT message FROM message_labels WHERE label = ?1) ORDER BY date, id";
    Statement query(db_, sql.c_str());
    query.bind(1, label);
    while (query.step() == SQLITE_ROW) rows.push_back(readRow(query));
    readAttachments(db_, rows);
    return rows;
}

std::vector<std::string> Catalogue::staleLabels() {
    std::vector<std::string> labels;
    Statement query(db_, "SELECT label FROM stale_labels ORDER BY label");
    while (query.step() == SQLITE_ROW) labels.push_back(query.text(0));
    return labels;
}

void Catalogue::markLabelsCurrent(const std::vector<std::string>& labels) {
    execute("BEGIN IMMEDIATE");
    Statement drop(db_, "DELETE FROM stale_labels WHERE label = ?1");
    for (const std::string& label : labels) drop.bind(1, label).run();
    execute("COMMIT");
}

std::vector<std::string> Catalogue::staleFolders() {
    std::vector<std::string> dirs;
    Statement query(db_, "SELECT dir FROM stale_folders ORDER BY dir");
    while (query.step() == SQLITE_ROW) dirs.push_back(query.text(0));
    return dirs;
}

void Catalogue::markFoldersCurrent(const std::vector<std::string>& dirs) {
    execute("BEGIN IMMEDIATE");
    Statement drop(db_, "DELETE FROM stale_folders WHERE dir = ?1");
    for (const std::string& dir : dirs) drop.bind(1, dir).run();
    execute("COMMIT");
}

void Catalogue::forEachUnsearched(const std::function<void(const CatalogueRow&)>& take) {
    const std::string sql =
        std::string("SELECT ") + kRowColumns + " FROM messages WHERE placed = 1 AND searched = 0 ORDER BY id";
    Statement query(db_, sql.c_str());
    Statement attachments(db_, "SELECT name, path, size FROM attachments WHERE message = ?1 ORDER BY rowid");
    while (query.step() == SQLITE_ROW) {
        CatalogueRow row = readRow(query);
        attachments.bind(1, row.id);
        while (attachments.step() == SQLITE_ROW) {
            row.attachments.push_back(
                {attachments.text(0), attachments.text(1), static_cast<uint64_t>(attachments.number(2))});
        }
        attachments.reset();
        take(row);
    }
}

void Catalogue::markSearched(int64_t upToId) {
    Statement mark(db_, "UPDATE messages SET searched = 1 WHERE placed = 1 AND searched = 0 AND id <= ?1");
    mark.bind(1, upToId).run();
}

void Catalogue::markAllUnsearched() { execute("UPDATE messages SET searched = 0"); }

int64_t Catalogue::lastId() {
    Statement query(db_, "SELECT max(id) FROM messages");
    return query.step() == SQLITE_ROW ? query.number(0) : 0;
}

uint64_t Catalogue::messageCount() {
    Statement query(db_, "SELECT count(*) FROM messages WHERE placed = 1");
    return query.step() == SQLITE_ROW ? static_cast<uint64_t>(query.number(0)) : 0;
}

}  // namespace tessaly
