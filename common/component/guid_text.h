#pragma once
// GUIDs in their registry spelling, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
#include <optional>
#include <string>
#include <string_view>

#include "platform/com.h"

namespace pos::component {

std::string guidText(const GUID& guid);
std::optional<GUID> parseGuid(std::string_view text);

}  // namespace pos::component
