#pragma once
// Small owners for the SQLite C API: the connection and one statement at a time.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pos::platform::sqlite {

struct ConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

// Runs SQL that returns no rows; the reason for a false is in sqlite3_errmsg.
bool exec(sqlite3* db, const char* sql);

// One prepared statement, finalised on scope exit so no read lock outlives it. Errors from
// preparing or binding are kept and reported by step().
class Query {
  public:
    Query(sqlite3* db, std::string_view sql);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int index, std::int64_t value);
    Query& bind(int index, std::string_view text);

    // SQLITE_ROW, SQLITE_DONE, or the first error met.
    int step();
    // For statements without rows.
    bool run() { return step() == SQLITE_DONE; }

    int columnType(int column) const { return sqlite3_column_type(statement_, column); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string text(int column) const;

  private:
    void keepFirstError(int code);

    sqlite3_stmt* statement_ = nullptr;
    int error_ = SQLITE_OK;
};

}  // namespace pos::platform::sqlite
