#pragma once
// The registry's tables and the connection settings every store relies on.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry_store.h"

namespace pos::platform {

// Each hive has a root row (parent NULL) whose id is fixed, so every real key has a non-NULL
// parent and UNIQUE(hive, parent, name) holds for all of them.
std::optional<std::int64_t> hiveRootId(Hive hive);

// Type codes in vals.type: the Windows REG_* numbers, so a dump reads the same on both systems.
std::int64_t valueTypeCode(ValueType type);
std::optional<ValueType> valueTypeFromCode(std::int64_t code);

// Applies the connection settings (WAL, busy timeout, foreign keys) and creates the tables in
// an empty file or checks those of an existing one. On false, reason says why.
bool prepareRegistryDatabase(sqlite3* db, std::string& reason);

}  // namespace pos::platform
