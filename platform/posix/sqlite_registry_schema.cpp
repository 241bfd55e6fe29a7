#include "sqlite_registry_schema.h"

#include "sqlite_query.h"

namespace pos::platform {
namespace {

constexpr std::int64_t kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 5000;

// The parent reference has no ON DELETE action: a tree goes in one statement, so the check at
// its end sees no orphans, and no cascade depth limit applies to deep trees.
constexpr const char* kCreateSchema = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY,
    hive INTEGER NOT NULL,
    parent INTEGER REFERENCES keys(id),
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(hive, parent, name));
CREATE INDEX keys_by_parent ON keys(parent);
INSERT INTO keys(id, hive, parent, name) VALUES (1, 0, NULL, ''), (2, 1, NULL, ''), (3, 2, NULL, '');
CREATE TABLE vals(
    key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data,
    seq INTEGER NOT NULL,
    PRIMARY KEY(key, name));
PRAGMA user_version = 1;
)sql";

std::string lastError(sqlite3* db) {
    return sqlite3_errmsg(db);
}

bool readInteger(sqlite3* db, const char* sql, std::int64_t& value) {
    sqlite::Query query(db, sql);
    if (query.step() != SQLITE_ROW) {
        return false;
    }
    value = query.integer(0);
    return true;
}

// Runs inside a write transaction so two processes opening a new file create the tables once.
bool createOrCheckTables(sqlite3* db, std::string& reason) {
    std::int64_t version = 0;
    std::int64_t objects = 0;
    if (!readInteger(db, "PRAGMA user_version", version) ||
        !readInteger(db, "SELECT count(*) FROM sqlite_master", objects)) {
        reason = lastError(db);
        return false;
    }
    if (version == 0 && objects == 0) {
        if (sqlite::exec(db, kCreateSchema)) {
            return true;
        }
        reason = "cannot create the tables: " + lastError(db);
        return false;
    }
    if (version > kSchemaVersion) {
        reason = "written by a newer program (schema " + std::to_string(version) +
                 ", this one knows " + std::to_string(kSchemaVersion) + ")";
        return false;
    }
    std::int64_t tables = 0;
    std::int64_t roots = 0;
    const bool known =
        version == kSchemaVersion &&
        readInteger(db,
                    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                    "('keys', 'vals')",
                    tables) &&
        tables == 2 &&
        readInteger(db, "SELECT count(*) FROM keys WHERE parent IS NULL AND id = hive + 1",
                    roots) &&
        roots == 3;
    if (!known) {
        reason = "the database holds other data, not a registry";
    }
    return known;
}

}  // namespace

std::optional<std::int64_t> hiveRootId(Hive hive) {
    switch (hive) {
        case Hive::ClassesRoot:
        case Hive::LocalMachine:
        case Hive::CurrentUser:
            return static_cast<std::int64_t>(hive) + 1;
    }
    return std::nullopt;
}

std::int64_t valueTypeCode(ValueType type) {
    switch (type) {
        case ValueType::String:
            return 1;
        case ValueType::ExpandString:
            return 2;
        case ValueType::DWord:
            return 4;
    }
    return 0;
}

std::optional<ValueType> valueTypeFromCode(std::int64_t code) {
    switch (code) {
        case 1:
            return ValueType::String;
        case 2:
            return ValueType::ExpandString;
        case 4:
            return ValueType::DWord;
        default:
            return std::nullopt;
    }
}

bool prepareRegistryDatabase(sqlite3* db, std::string& reason) {
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (sqlite3_db_readonly(db, "main") == 1) {
        reason = "the file is read-only";
        return false;
    }
    // The first statement that reads the file is where a non-database shows up.
    if (!sqlite::exec(db, "PRAGMA journal_mode = WAL") ||
        !sqlite::exec(db, "PRAGMA foreign_keys = ON")) {
        reason = lastError(db);
        return false;
    }
    if (!sqlite::exec(db, "BEGIN IMMEDIATE")) {
        reason = lastError(db);
        return false;
    }
    if (!createOrCheckTables(db, reason)) {
        sqlite::exec(db, "ROLLBACK");
        return false;
    }
    if (!sqlite::exec(db, "COMMIT")) {
        reason = lastError(db);
        sqlite::exec(db, "ROLLBACK");
        return false;
    }
    return true;
}

}  // namespace pos::platform
