#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sqlite_registry.h"
#include "registry_names.h"
#include "sqlite_query.h"
#include "sqlite_registry_schema.h"

namespace pos::platform {
namespace {

// What a write did. Missing (nothing there to delete) returns false but is not a failure: it
// does not roll back the transact() it runs in.
enum class Outcome { Done, Missing, Failed };

struct KeyPath {
    std::int64_t hive = 0;
    std::int64_t root = 0;
    std::vector<std::string_view> names;
};

std::optional<KeyPath> parseKeyPath(Hive hive, std::string_view path) {
    const auto root = hiveRootId(hive);
    auto names = splitKeyPath(path);
    if (!root || !names) {
        return std::nullopt;
    }
    return KeyPath{static_cast<std::int64_t>(hive), *root, std::move(*names)};
}

constexpr const char* kFindChild =
    "SELECT id FROM keys WHERE hive = ?1 AND parent = ?2 AND name = ?3";

// Columns: name, type, data. Rows this program cannot interpret are skipped.
std::optional<RegistryValue> decodeValue(const sqlite::Query& row) {
    const auto type = valueTypeFromCode(row.integer(1));
    if (!type) {
        return std::nullopt;
    }
    RegistryValue value;
    value.name = row.text(0);
    value.type = *type;
    if (*type == ValueType::DWord) {
        const std::int64_t number = row.integer(2);
        if (row.columnType(2) != SQLITE_INTEGER || number < 0 || number > 0xFFFFFFFF) {
            return std::nullopt;
        }
        value.number = static_cast<std::uint32_t>(number);
    } else {
        if (row.columnType(2) != SQLITE_TEXT) {
            return std::nullopt;
        }
        value.text = row.text(2);
    }
    return value;
}

class SqliteRegistryStore final : public RegistryStore {
  public:
    explicit SqliteRegistryStore(sqlite::Connection db) : db_(std::move(db)) {}

    bool keyExists(Hive hive, std::string_view path) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        std::int64_t id = 0;
        return key && findKey(*key, id) == Outcome::Done;
    }

    bool createKey(Hive hive, std::string_view path) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        if (!key) {
            return refuse();
        }
        return runWrite([&] {
            std::int64_t id = 0;
            return findOrCreateKey(*key, id);
        });
    }

    // Like RegDeleteTree on a missing key, deleting what is not there returns false. The hive
    // root itself cannot be deleted, so that is refused rather than emptied.
    bool deleteKeyTree(Hive hive, std::string_view path) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        if (!key || key->names.empty()) {
            return refuse();
        }
        return runWrite([&] {
            std::int64_t id = 0;
            if (const Outcome found = findKey(*key, id); found != Outcome::Done) {
                return found;
            }
            sqlite::Query remove(db_.get(), R"sql(
                WITH RECURSIVE tree(id) AS (
                    SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)
                DELETE FROM keys WHERE id IN (SELECT id FROM tree))sql");
            return remove.bind(1, id).run() ? Outcome::Done : Outcome::Failed;
        });
    }

    std::vector<std::string> subkeys(Hive hive, std::string_view path) override {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        const auto key = parseKeyPath(hive, path);
        std::int64_t id = 0;
        if (!key || findKey(*key, id) != Outcome::Done) {
            return names;
        }
        sqlite::Query query(db_.get(), "SELECT name FROM keys WHERE parent = ?1 ORDER BY id");
        query.bind(1, id);
        while (query.step() == SQLITE_ROW) {
            names.push_back(query.text(0));
        }
        return names;
    }

    std::optional<RegistryValue> readValue(Hive hive, std::string_view path,
                                           std::string_view name) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        std::int64_t id = 0;
        if (!key || !isValidValueName(name) || findKey(*key, id) != Outcome::Done) {
            return std::nullopt;
        }
        sqlite::Query query(db_.get(),
                            "SELECT name, type, data FROM vals WHERE key = ?1 AND name = ?2");
        if (query.bind(1, id).bind(2, name).step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return decodeValue(query);
    }

    std::vector<RegistryValue> values(Hive hive, std::string_view path) override {
        std::lock_guard lock(mutex_);
        std::vector<RegistryValue> found;
        const auto key = parseKeyPath(hive, path);
        std::int64_t id = 0;
        if (!key || findKey(*key, id) != Outcome::Done) {
            return found;
        }
        sqlite::Query query(db_.get(),
                            "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY seq");
        query.bind(1, id);
        while (query.step() == SQLITE_ROW) {
            if (auto value = decodeValue(query)) {
                found.push_back(std::move(*value));
            }
        }
        return found;
    }

    // An existing value keeps its first spelling and its place in the order; type and data change.
    bool writeValue(Hive hive, std::string_view path, const RegistryValue& value) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        const std::int64_t typeCode = valueTypeCode(value.type);
        if (!key || !isValidValueName(value.name) || typeCode == 0) {
            return refuse();
        }
        return runWrite([&] {
            std::int64_t id = 0;
            if (const Outcome made = findOrCreateKey(*key, id); made != Outcome::Done) {
                return made;
            }
            sqlite::Query upsert(db_.get(), R"sql(
                INSERT INTO vals(key, name, type, data, seq)
                VALUES (?1, ?2, ?3, ?4, (SELECT coalesce(max(seq), 0) + 1 FROM vals WHERE key = ?1))
                ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
            upsert.bind(1, id).bind(2, value.name).bind(3, typeCode);
            if (value.type == ValueType::DWord) {
                upsert.bind(4, static_cast<std::int64_t>(value.number));
            } else {
                upsert.bind(4, value.text);
            }
            return upsert.run() ? Outcome::Done : Outcome::Failed;
        });
    }

    bool deleteValue(Hive hive, std::string_view path, std::string_view name) override {
        std::lock_guard lock(mutex_);
        const auto key = parseKeyPath(hive, path);
        if (!key || !isValidValueName(name)) {
            return refuse();
        }
        return runWrite([&] {
            std::int64_t id = 0;
            if (const Outcome found = findKey(*key, id); found != Outcome::Done) {
                return found;
            }
            sqlite::Query remove(db_.get(), "DELETE FROM vals WHERE key = ?1 AND name = ?2");
            if (!remove.bind(1, id).bind(2, name).run()) {
                return Outcome::Failed;
            }
            return sqlite3_changes(db_.get()) > 0 ? Outcome::Done : Outcome::Missing;
        });
    }

    // Holds the store's lock for the whole body, so other threads' writes cannot join the unit.
    // A nested transact that rolls back leaves the outer one to its body's decision.
    bool transact(const std::function<bool()>& body) override {
        std::lock_guard lock(mutex_);
        Unit unit(*this);
        if (!unit.isOpen()) {
            return refuse();
        }
        bool writeFailed = false;
        bool keep = false;
        {
            FailureScope scope(failureFlag_, &writeFailed);
            keep = body();
        }
        return unit.finish(keep && !writeFailed) && keep && !writeFailed;
    }

  private:
    // One all-or-nothing unit of writes: the outermost is a transaction that takes the write lock
    // up front (so a waiting writer gets the busy timeout instead of a deadlock), inner ones are
    // savepoints. Rolls back unless finished with keep.
    class Unit {
      public:
        explicit Unit(SqliteRegistryStore& store) : store_(store), open_(store.beginUnit()) {}
        ~Unit() {
            if (open_) {
                store_.endUnit(false);
            }
        }
        Unit(const Unit&) = delete;
        Unit& operator=(const Unit&) = delete;
        bool isOpen() const { return open_; }
        bool finish(bool keep) {
            open_ = false;
            return store_.endUnit(keep);
        }

      private:
        SqliteRegistryStore& store_;
        bool open_;
    };

    // Points failed writes at the innermost transact() while its body runs.
    class FailureScope {
      public:
        FailureScope(bool*& slot, bool* flag) : slot_(slot), saved_(slot) { slot_ = flag; }
        ~FailureScope() { slot_ = saved_; }
        FailureScope(const FailureScope&) = delete;
        FailureScope& operator=(const FailureScope&) = delete;

      private:
        bool*& slot_;
        bool* saved_;
    };

    bool beginUnit() {
        // An error that ended the whole transaction (disk full, I/O) leaves SQLite in autocommit;
        // a later savepoint would then start a new transaction outside the caller's unit.
        if (depth_ > 0 && sqlite3_get_autocommit(db_.get()) != 0) {
            return false;
        }
        if (!sqlite::exec(db_.get(), depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT unit")) {
            return false;
        }
        ++depth_;
        return true;
    }

    bool endUnit(bool keep) {
        --depth_;
        sqlite3* db = db_.get();
        if (sqlite3_get_autocommit(db) != 0) {
            return false;
        }
        if (depth_ == 0) {
            if (keep && sqlite::exec(db, "COMMIT")) {
                return true;
            }
            sqlite::exec(db, "ROLLBACK");
            return false;
        }
        if (keep && sqlite::exec(db, "RELEASE unit")) {
            return true;
        }
        sqlite::exec(db, "ROLLBACK TO unit");
        sqlite::exec(db, "RELEASE unit");
        return false;
    }

    bool refuse() {
        if (failureFlag_ != nullptr) {
            *failureFlag_ = true;
        }
        return false;
    }

    bool runWrite(const std::function<Outcome()>& write) {
        Unit unit(*this);
        if (!unit.isOpen()) {
            return refuse();
        }
        const Outcome outcome = write();
        const bool committed = unit.finish(outcome == Outcome::Done);
        if (outcome == Outcome::Missing) {
            return false;
        }
        return committed || refuse();
    }

    Outcome findKey(const KeyPath& key, std::int64_t& id) {
        id = key.root;
        for (const std::string_view name : key.names) {
            sqlite::Query query(db_.get(), kFindChild);
            const int result = query.bind(1, key.hive).bind(2, id).bind(3, name).step();
            if (result == SQLITE_DONE) {
                return Outcome::Missing;
            }
            if (result != SQLITE_ROW) {
                return Outcome::Failed;
            }
            id = query.integer(0);
        }
        return Outcome::Done;
    }

    Outcome findOrCreateKey(const KeyPath& key, std::int64_t& id) {
        id = key.root;
        bool creating = false;  // below a new key nothing can exist yet
        for (const std::string_view name : key.names) {
            if (!creating) {
                sqlite::Query query(db_.get(), kFindChild);
                const int result = query.bind(1, key.hive).bind(2, id).bind(3, name).step();
                if (result == SQLITE_ROW) {
                    id = query.integer(0);
                    continue;
                }
                if (result != SQLITE_DONE) {
                    return Outcome::Failed;
                }
                creating = true;
            }
            sqlite::Query insert(db_.get(),
                                 "INSERT INTO keys(hive, parent, name) VALUES (?1, ?2, ?3)");
            if (!insert.bind(1, key.hive).bind(2, id).bind(3, name).run()) {
                return Outcome::Failed;
            }
            id = sqlite3_last_insert_rowid(db_.get());
        }
        return Outcome::Done;
    }

    std::recursive_mutex mutex_;  // recursive: transact bodies call back into the store
    sqlite::Connection db_;
    int depth_ = 0;
    bool* failureFlag_ = nullptr;
};

}  // namespace

std::unique_ptr<RegistryStore> openSqliteRegistry(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& reason) -> std::unique_ptr<RegistryStore> {
        if (error != nullptr) {
            *error = "registry database '" + path + "': " + reason;
        }
        return nullptr;
    };
    // An empty name would silently give a private temporary database.
    if (path.empty()) {
        return fail("no file name given");
    }
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite::Connection db(raw);
    if (opened != SQLITE_OK) {
        return fail(db ? sqlite3_errmsg(db.get()) : "out of memory");
    }
    std::string reason;
    if (!prepareRegistryDatabase(db.get(), reason)) {
        return fail(reason);
    }
    return std::make_unique<SqliteRegistryStore>(std::move(db));
}

}  // namespace pos::platform
