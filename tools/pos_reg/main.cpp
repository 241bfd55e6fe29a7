// pos-reg: reads and writes the device registry from the shell. Subcommands and switches follow
// Windows' reg.exe, so installation notes written for Windows can be followed as they are.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/registry_store.h"
#include "reg_names.h"
#include "reg_text.h"
#ifndef _WIN32
#include "platform/sqlite_registry.h"
#endif

namespace {

using pos::platform::Hive;
using pos::platform::RegistryStore;
using pos::platform::RegistryValue;
using pos::platform::ValueType;
using pos::tools::CommandLine;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: pos-reg [--store FILE] COMMAND ...\n"
    "  import FILE                 apply a .reg file (- reads standard input)\n"
    "  export KEY [FILE]           write KEY and its subkeys as a .reg file (else to stdout)\n"
    "  query KEY [/v NAME|/ve] [/s]\n"
    "                              show values and subkeys (/s: the whole subtree)\n"
    "  add KEY [/v NAME|/ve] [/t REG_SZ|REG_EXPAND_SZ|REG_DWORD] [/d DATA] [/f]\n"
    "                              create KEY and write a value (DWORD data: decimal or 0x..)\n"
    "  delete KEY [/v NAME|/ve|/va] [/f]\n"
    "                              delete KEY with its subkeys, or values under it\n"
    "KEY is HKLM\\..., HKCR\\..., HKCU\\... or the long hive names (HKEY_LOCAL_MACHINE\\...).\n"
    "--store FILE names the registry database; else $OPOS_REGISTRY or the per-user default.\n"
    "Exit status: 0 done, 1 failed, 2 bad arguments.\n";

int fail(const std::string& what) {
    std::fprintf(stderr, "pos-reg: %s\n", what.c_str());
    return kFailed;
}

void put(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int done() {
    put("The operation completed successfully.\n");
    return 0;
}

std::string valueLabel(const std::string& name) {
    return name.empty() ? std::string("(Default)") : "'" + name + "'";
}

struct Key {
    Hive hive = Hive::LocalMachine;
    std::string path;
    std::string name() const { return pos::tools::regKeyName(hive, path); }
};

std::optional<Key> parseKey(const std::string& text, std::string& error) {
    Key key;
    if (!pos::tools::parseRegKeyName(text, key.hive, key.path, &error)) {
        return std::nullopt;
    }
    return key;
}

std::unique_ptr<RegistryStore> openStore(const std::optional<std::string>& file,
                                         std::string& error) {
#ifndef _WIN32
    if (file) {
        return pos::platform::openSqliteRegistry(*file, &error);
    }
    if (auto store = pos::platform::openSystemRegistry()) {
        return store;
    }
    const std::string path = pos::platform::defaultRegistryPath();
    if (path.empty()) {
        error = "no registry database: set OPOS_REGISTRY or HOME, or use --store FILE";
    } else if (!pos::platform::openSqliteRegistry(path, &error)) {
        error += " (set OPOS_REGISTRY or use --store FILE)";
    }
    return nullptr;
#else
    if (file) {
        error = "--store is not available on Windows: the system registry is used";
        return nullptr;
    }
    auto store = pos::platform::openSystemRegistry();
    if (!store) {
        error = "cannot open the system registry";
    }
    return store;
#endif
}

std::optional<std::string> readInput(const std::string& file, std::string& error) {
    if (file == "-") {
        std::string bytes{std::istreambuf_iterator<char>(std::cin), {}};
        if (std::cin.bad()) {
            error = "cannot read standard input";
            return std::nullopt;
        }
        return bytes;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot open " + file + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) {
        error = "cannot read " + file;
        return std::nullopt;
    }
    return bytes;
}

int importFile(RegistryStore& store, const std::string& file) {
    std::string error;
    const auto bytes = readInput(file, error);
    if (!bytes) {
        return fail(error);
    }
    std::vector<pos::tools::RegOperation> ops;
    const std::string source = file == "-" ? "standard input" : file;
    if (!pos::tools::parseRegText(*bytes, ops, &error)) {
        return fail(source + ": " + error + "; nothing was changed");
    }
    if (!pos::tools::applyRegOperations(store, ops, &error)) {
        return fail(source + ": " + error + "; nothing was changed");
    }
    return done();
}

int exportKey(RegistryStore& store, const Key& key, const std::optional<std::string>& file) {
    std::string error;
    const auto text = pos::tools::exportRegText(store, key.hive, key.path, &error);
    if (!text) {
        return fail(error);
    }
    if (!file || *file == "-") {
        put(*text);
        return std::fflush(stdout) == 0 ? 0 : fail("cannot write to standard output");
    }
    std::ofstream out(*file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return fail("cannot create " + *file + ": " + std::strerror(errno));
    }
    out.write(text->data(), static_cast<std::streamsize>(text->size()));
    out.close();
    if (!out) {
        return fail("cannot write " + *file);
    }
    return done();
}

std::string valueLine(const RegistryValue& value) {
    std::string line = "    " + (value.name.empty() ? std::string("(Default)") : value.name);
    switch (value.type) {
        case ValueType::String:
            return line + "    REG_SZ    " + value.text + "\n";
        case ValueType::ExpandString:
            return line + "    REG_EXPAND_SZ    " + value.text + "\n";
        case ValueType::DWord: {
            char number[16];
            std::snprintf(number, sizeof number, "0x%x", static_cast<unsigned>(value.number));
            return line + "    REG_DWORD    " + number + "\n";
        }
    }
    return line + "\n";
}

void printTree(RegistryStore& store, const Key& key) {
    put("\n" + key.name() + "\n");
    for (const RegistryValue& value : store.values(key.hive, key.path)) {
        put(valueLine(value));
    }
    for (const std::string& child : store.subkeys(key.hive, key.path)) {
        printTree(store, Key{key.hive, key.path.empty() ? child : key.path + '\\' + child});
    }
}

int query(RegistryStore& store, const Key& key, const CommandLine& line) {
    if (!store.keyExists(key.hive, key.path)) {
        return fail("key " + key.name() + " does not exist");
    }
    if (line.valueName) {
        const auto value = store.readValue(key.hive, key.path, *line.valueName);
        if (!value) {
            return fail("value " + valueLabel(*line.valueName) + " does not exist under " +
                        key.name());
        }
        put("\n" + key.name() + "\n" + valueLine(*value) + "\n");
        return 0;
    }
    if (line.recursive) {
        printTree(store, key);
        put("\n");
        return 0;
    }
    put("\n" + key.name() + "\n");
    for (const RegistryValue& value : store.values(key.hive, key.path)) {
        put(valueLine(value));
    }
    put("\n");
    for (const std::string& child : store.subkeys(key.hive, key.path)) {
        put(key.name() + "\\" + child + "\n");
    }
    return 0;
}

// Decimal or 0x hex, the whole of text, at most 0xFFFFFFFF.
std::optional<std::uint32_t> parseDword(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    for (const char c : digits) {
        const unsigned digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        number = number * (hex ? 16 : 10) + digit;
        if (number > 0xFFFFFFFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(number);
}

int add(RegistryStore& store, const Key& key, const CommandLine& line) {
    if (!line.valueName && !line.type && !line.data) {
        return store.createKey(key.hive, key.path) ? done()
                                                   : fail("cannot create key " + key.name());
    }
    RegistryValue value;
    value.name = line.valueName.value_or("");
    if (pos::tools::utf16Units(value.name) > pos::tools::kMaxValueNameUnits) {
        return fail("value name longer than 16383 characters");
    }
    const std::string type = line.type.value_or("REG_SZ");
    if (pos::tools::equalsIgnoringCase(type, "REG_SZ")) {
        value.type = ValueType::String;
        value.text = line.data.value_or("");
    } else if (pos::tools::equalsIgnoringCase(type, "REG_EXPAND_SZ")) {
        value.type = ValueType::ExpandString;
        value.text = line.data.value_or("");
    } else if (pos::tools::equalsIgnoringCase(type, "REG_DWORD")) {
        const auto number = parseDword(line.data.value_or("0"));
        if (!number) {
            return fail("bad REG_DWORD data '" + *line.data +
                        "' (expected 0 to 4294967295, decimal or 0x hex)");
        }
        value.type = ValueType::DWord;
        value.number = *number;
    } else {
        std::fprintf(stderr, "pos-reg: unsupported type '%s' (REG_SZ, REG_EXPAND_SZ, REG_DWORD)\n",
                     type.c_str());
        return kUsage;
    }
    if (!store.writeValue(key.hive, key.path, value)) {
        return fail("cannot write value " + valueLabel(value.name) + " under " + key.name());
    }
    return done();
}

int deleteKeyOrValues(RegistryStore& store, const Key& key, const CommandLine& line) {
    if (!store.keyExists(key.hive, key.path)) {
        return fail("key " + key.name() + " does not exist");
    }
    if (line.valueName) {
        if (!store.deleteValue(key.hive, key.path, *line.valueName)) {
            return fail("value " + valueLabel(*line.valueName) + " does not exist under " +
                        key.name());
        }
        return done();
    }
    if (line.allValues) {
        const bool removed = store.transact([&] {
            for (const RegistryValue& value : store.values(key.hive, key.path)) {
                if (!store.deleteValue(key.hive, key.path, value.name)) {
                    return false;
                }
            }
            return true;
        });
        return removed ? done() : fail("cannot delete the values under " + key.name());
    }
    if (key.path.empty()) {
        return fail("a hive root cannot be deleted");
    }
    return store.deleteKeyTree(key.hive, key.path) ? done()
                                                   : fail("cannot delete key " + key.name());
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    std::string error;
    if (!pos::tools::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line,
                                      &error)) {
        std::fprintf(stderr, "pos-reg: %s\n%s", error.c_str(), kUsageText);
        return kUsage;
    }
    if (line.help) {
        put(kUsageText);
        return 0;
    }
    std::optional<Key> key;
    if (line.command != "import") {
        key = parseKey(line.positional[0], error);
        if (!key) {
            std::fprintf(stderr, "pos-reg: %s\n", error.c_str());
            return kUsage;
        }
    }
    const auto store = openStore(line.store, error);
    if (!store) {
        return fail(error);
    }
    if (line.command == "import") {
        return importFile(*store, line.positional[0]);
    }
    if (line.command == "export") {
        return exportKey(
            *store, *key,
            line.positional.size() > 1 ? std::optional(line.positional[1]) : std::nullopt);
    }
    if (line.command == "query") {
        return query(*store, *key, line);
    }
    if (line.command == "add") {
        return add(*store, *key, line);
    }
    return deleteKeyOrValues(*store, *key, line);
}
