#pragma once
// Name rules shared by the reader, the writer and the command line.
#include <cstddef>
#include <string_view>

namespace pos::tools {

// The registry's limit on value names; key names are checked by parseRegKeyName.
constexpr std::size_t kMaxValueNameUnits = 16383;

// ASCII letters only: hive names and type keywords.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// The length the registry counts names in. text is well-formed UTF-8.
std::size_t utf16Units(std::string_view utf8);

}  // namespace pos::tools
