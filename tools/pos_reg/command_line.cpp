#include "command_line.h"

#include <cstddef>
#include <string_view>

#include "reg_names.h"

namespace pos::tools {
namespace {

struct CommandRules {
    std::string_view name;
    std::size_t minPositional;
    std::size_t maxPositional;
    std::string_view switches;  // the ones it takes, each between spaces
};

constexpr CommandRules kCommands[] = {
    {"import", 1, 1, " reg:32 "},           {"export", 1, 2, " y reg:32 "},
    {"query", 1, 1, " v ve s reg:32 "},     {"add", 1, 1, " v ve t d f reg:32 "},
    {"delete", 1, 1, " v ve va f reg:32 "},
};

// "/name" or "-name", any case; "" when arg is no switch ("-" alone is standard input).
std::string switchName(const std::string& arg) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
        return {};
    }
    std::string name = arg.substr(1);
    for (char& c : name) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    return name;
}

const CommandRules* findCommand(std::string_view name) {
    for (const CommandRules& rules : kCommands) {
        if (equalsIgnoringCase(name, rules.name)) {
            return &rules;
        }
    }
    return nullptr;
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error) {
    auto fail = [&](std::string what) {
        if (error != nullptr) {
            *error = std::move(what);
        }
        return false;
    };
    CommandLine line;
    const CommandRules* rules = nullptr;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto takeNext = [&](std::optional<std::string>& into) {
            if (i + 1 >= args.size()) {
                return fail(arg + " needs an argument");
            }
            if (into) {
                return fail(arg + " given twice");
            }
            into = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h" || arg == "/?" || arg == "-?") {
            line.help = true;
            continue;
        }
        if (arg == "--store") {
            if (!takeNext(line.store)) {
                return false;
            }
            continue;
        }
        if (arg.starts_with("--store=")) {
            line.store = arg.substr(8);
            continue;
        }
        if (rules == nullptr) {
            rules = findCommand(arg);
            if (rules == nullptr) {
                return fail("unknown command '" + arg + "'");
            }
            line.command = rules->name;
            continue;
        }
        const std::string name = switchName(arg);
        const bool known = !name.empty() && name.find(' ') == std::string::npos &&
                           rules->switches.find(" " + name + " ") != std::string_view::npos;
        if (!known) {
            if (name == "reg:64") {
                return fail("there is only the 32-bit registry view here; use /reg:32 or nothing");
            }
            // Anything else is an argument; an absolute file name starts with '/' too.
            line.positional.push_back(arg);
            continue;
        }
        bool ok = true;
        if (name == "v") {
            ok = takeNext(line.valueName);
        } else if (name == "ve") {
            ok = !line.valueName || fail("/v and /ve given together");
            line.valueName = "";
        } else if (name == "t") {
            ok = takeNext(line.type);
        } else if (name == "d") {
            ok = takeNext(line.data);
        } else if (name == "va") {
            line.allValues = true;
        } else if (name == "s") {
            line.recursive = true;
        }
        if (!ok) {
            return false;
        }
    }
    if (line.help) {
        out = std::move(line);
        return true;
    }
    if (rules == nullptr) {
        return fail("no command given");
    }
    if (line.positional.size() < rules->minPositional) {
        return fail(line.command + ": missing " +
                    (line.command == "import" ? "FILE (or - for standard input)" : "KEY"));
    }
    if (line.positional.size() > rules->maxPositional) {
        return fail(line.command + ": unexpected argument '" + line.positional.back() + "'");
    }
    if (line.allValues && line.valueName) {
        return fail("delete: /va cannot be combined with /v or /ve");
    }
    out = std::move(line);
    return true;
}

}  // namespace pos::tools
