#include "sqlite_query.h"

namespace pos::platform::sqlite {

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Query::Query(sqlite3* db, std::string_view sql) {
    keepFirstError(
        sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr));
}

Query::~Query() {
    sqlite3_finalize(statement_);
}

void Query::keepFirstError(int code) {
    if (error_ == SQLITE_OK && code != SQLITE_OK) {
        error_ = code;
    }
}

Query& Query::bind(int index, std::int64_t value) {
    if (error_ == SQLITE_OK) {
        keepFirstError(sqlite3_bind_int64(statement_, index, value));
    }
    return *this;
}

Query& Query::bind(int index, std::string_view text) {
    // SQLITE_TRANSIENT: the view need not outlive the call. A non-null pointer keeps "" a text
    // rather than NULL.
    if (error_ == SQLITE_OK) {
        keepFirstError(sqlite3_bind_text64(statement_, index, text.empty() ? "" : text.data(),
                                           text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    return *this;
}

int Query::step() {
    if (error_ != SQLITE_OK) {
        return error_;
    }
    const int result = sqlite3_step(statement_);
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        keepFirstError(result);
    }
    return result;
}

std::string Query::text(int column) const {
    const auto* bytes = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (bytes == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

}  // namespace pos::platform::sqlite
