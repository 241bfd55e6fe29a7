#pragma once
// POSIX only: the registry kept in a SQLite database file.
#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace pos::platform {

// Opens the database at path, creating the file and its tables when missing. Returns nullptr
// and, when error is given, a readable reason when the file cannot be opened or created, is not
// a database, belongs to something else or was written by a newer schema.
std::unique_ptr<RegistryStore> openSqliteRegistry(const std::string& path, std::string* error);

// The file openSystemRegistry uses: $OPOS_REGISTRY when set and non-empty, else
// $XDG_CONFIG_HOME/opos/registry.db (absolute XDG_CONFIG_HOME only), else
// $HOME/.config/opos/registry.db. Empty when no home folder is known.
std::string defaultRegistryPath();

}  // namespace pos::platform
