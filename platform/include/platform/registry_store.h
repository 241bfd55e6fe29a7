#pragma once
// The store of device entries and component registrations: the Windows registry (32-bit view)
// or, elsewhere, a database with the same semantics.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pos::platform {

enum class Hive : std::uint8_t { ClassesRoot, LocalMachine, CurrentUser };
enum class ValueType : std::uint8_t { String, ExpandString, DWord };

struct RegistryValue {
    std::string name;  // "" is the key's default value
    ValueType type = ValueType::String;
    std::string text;          // String and ExpandString
    std::uint32_t number = 0;  // DWord

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// Key paths use backslashes ("SOFTWARE\\OLEforRetail\\ServiceOPOS"); key and value names
// compare case-insensitively. Text is UTF-8.
class RegistryStore {
  public:
    virtual ~RegistryStore() = default;

    virtual bool keyExists(Hive hive, std::string_view path) = 0;
    // Creates the key and any missing parents.
    virtual bool createKey(Hive hive, std::string_view path) = 0;
    // Deletes the key with all its subkeys and values; false when there was no such key.
    virtual bool deleteKeyTree(Hive hive, std::string_view path) = 0;
    virtual std::vector<std::string> subkeys(Hive hive, std::string_view path) = 0;

    virtual std::optional<RegistryValue> readValue(Hive hive, std::string_view path,
                                                   std::string_view name) = 0;
    // Values in creation order where the store keeps it (the registry's own order on Win32).
    virtual std::vector<RegistryValue> values(Hive hive, std::string_view path) = 0;
    // Creates the key when missing.
    virtual bool writeValue(Hive hive, std::string_view path, const RegistryValue& value) = 0;
    virtual bool deleteValue(Hive hive, std::string_view path, std::string_view name) = 0;

    // Runs the writes of body as one unit where the store supports it: all or none land.
    virtual bool transact(const std::function<bool()>& body) = 0;
};

// Win32: the system registry through the 32-bit view. POSIX: the SQLite store named by
// OPOS_REGISTRY, else $XDG_CONFIG_HOME/opos/registry.db (~/.config/opos/registry.db).
std::unique_ptr<RegistryStore> openSystemRegistry();

}  // namespace pos::platform
