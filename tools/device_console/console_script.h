#pragma once
// The device console's script: one call a line, "Method arg arg ...". Arguments are integers
// (decimal or 0x hex) or double-quoted strings with C escapes (\e is ESC); a leading & passes
// the argument by reference so its value after the call is shown.
#include <optional>
#include <string>
#include <vector>

#include "service_call.h"

namespace pos::tools {

struct ScriptLine {
    std::string method;
    std::vector<control::CallArg> args;
};

// nullopt for blank and comment lines; an error text for a line that does not parse.
std::optional<ScriptLine> parseScriptLine(const std::string& line, std::string* error);
// A C-escaped rendering, for printing strings back.
std::string escapeText(const std::u16string& text);
// The OPOS name of a result code ("OPOS_E_TIMEOUT"), or "" for other numbers.
const char* resultCodeName(std::int32_t code);

}  // namespace pos::tools
