#pragma once
// Registry files in the text form regedit reads and writes (".reg"), so that device entries can
// be carried between machines and written from the shell.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_store.h"

namespace pos::tools {

struct RegOperation {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    platform::Hive hive = platform::Hive::LocalMachine;
    std::string path;               // below the hive; "" is the hive root
    platform::RegistryValue value;  // SetValue: all of it; DeleteValue: the name
    int line = 0;                   // where it came from, for messages

    friend bool operator==(const RegOperation&, const RegOperation&) = default;
};

// Reads a whole file: UTF-8 (with or without BOM) or UTF-16LE with BOM, CRLF or LF. On success
// replaces out with the operations in file order. On failure leaves out alone and sets error to
// "line N: what is wrong". Pure: touches nothing but its arguments.
bool parseRegText(std::string_view text, std::vector<RegOperation>& out, std::string* error);

// Runs all operations as one unit: either all land or the store is left as it was. Deleting
// a key or value that is not there is not an error.
bool applyRegOperations(platform::RegistryStore& store, const std::vector<RegOperation>& ops,
                        std::string* error = nullptr);

// The key and its whole subtree as a UTF-8, LF file that parseRegText and applyRegOperations
// turn back into the same tree. nullopt with error when the key does not exist or holds a name
// or text a file cannot carry.
std::optional<std::string> exportRegText(platform::RegistryStore& store, platform::Hive hive,
                                         std::string_view path, std::string* error = nullptr);

// "HKLM\SOFTWARE\X" or "HKEY_LOCAL_MACHINE\SOFTWARE\X" (hive names in any case) into hive and
// path; error says what is wrong (unknown hive, empty or too long key name, too deep).
bool parseRegKeyName(std::string_view text, platform::Hive& hive, std::string& path,
                     std::string* error);
// "HKEY_LOCAL_MACHINE\SOFTWARE\X"; just the hive name for the root.
std::string regKeyName(platform::Hive hive, std::string_view path);

}  // namespace pos::tools
