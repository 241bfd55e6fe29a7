#pragma once
// pos-reg's arguments: a subcommand, its positional arguments and switches written the way
// Windows' reg.exe takes them (/v NAME, /ve, /t TYPE, /d DATA, ...; '-' works for '/').
#include <optional>
#include <string>
#include <vector>

namespace pos::tools {

struct CommandLine {
    std::string command;  // import, export, query, add, delete
    std::vector<std::string> positional;
    std::optional<std::string> store;      // --store FILE
    std::optional<std::string> valueName;  // /v NAME; "" for /ve
    std::optional<std::string> type;       // /t
    std::optional<std::string> data;       // /d
    bool allValues = false;                // /va
    bool recursive = false;                // /s
    bool help = false;
};

// argv without the program name. Switches the command does not take are errors; /f, /y and
// /reg:32 are accepted and change nothing (there are no prompts and one registry view).
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error);

}  // namespace pos::tools
