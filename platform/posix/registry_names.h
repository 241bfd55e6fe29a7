#pragma once
// The registry's rules for key paths and value names, checked before anything is written.
#include <optional>
#include <string_view>
#include <vector>

namespace pos::platform {

// Splits a backslash-separated key path into its key names, skipping empty segments (so leading,
// trailing and doubled backslashes do not matter; "" is the hive root). nullopt when a name holds
// a NUL, is longer than 255 UTF-16 units, or the path is deeper than 512 levels.
std::optional<std::vector<std::string_view>> splitKeyPath(std::string_view path);

// "" (the default value) is valid; a NUL or more than 16383 UTF-16 units is not.
bool isValidValueName(std::string_view name);

}  // namespace pos::platform
