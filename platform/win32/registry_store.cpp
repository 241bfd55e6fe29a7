// The system registry, always through its 32-bit view: the components are 32-bit and their
// entries live there, whichever build of a tool looks at them.
#include "platform/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "utf16.h"

namespace pos::platform {
namespace {

constexpr REGSAM kView = KEY_WOW64_32KEY;

class UniqueKey {
  public:
    UniqueKey() = default;
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    ~UniqueKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }

  private:
    HKEY key_ = nullptr;
};

HKEY rootOf(Hive hive) {
    switch (hive) {
        case Hive::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case Hive::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case Hive::CurrentUser:
            return HKEY_CURRENT_USER;
    }
    return nullptr;
}

bool openKey(Hive hive, std::string_view path, REGSAM access, UniqueKey& key) {
    const HKEY root = rootOf(hive);
    const auto widePath = win32::toUtf16Name(path);
    return root != nullptr && widePath &&
           RegOpenKeyExW(root, widePath->c_str(), 0, access | kView, key.out()) == ERROR_SUCCESS;
}

bool createKeyFor(Hive hive, std::string_view path, REGSAM access, UniqueKey& key) {
    const HKEY root = rootOf(hive);
    const auto widePath = win32::toUtf16Name(path);
    return root != nullptr && widePath &&
           RegCreateKeyExW(root, widePath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access | kView, nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

// Registry strings may or may not carry their terminating NUL, and an odd byte count cannot
// hold a whole UTF-16 unit.
std::string textFrom(const BYTE* data, DWORD size) {
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), data, wide.size() * sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    return win32::toUtf8(wide);
}

std::optional<RegistryValue> decode(std::string name, DWORD type, const BYTE* data, DWORD size) {
    RegistryValue value;
    value.name = std::move(name);
    switch (type) {
        case REG_SZ:
            value.type = ValueType::String;
            value.text = textFrom(data, size);
            return value;
        case REG_EXPAND_SZ:
            value.type = ValueType::ExpandString;
            value.text = textFrom(data, size);
            return value;
        case REG_DWORD:
            if (size != sizeof(DWORD)) return std::nullopt;
            value.type = ValueType::DWord;
            std::memcpy(&value.number, data, sizeof(DWORD));
            return value;
        default:
            return std::nullopt;  // types the device entries never use
    }
}

class SystemRegistry final : public RegistryStore {
  public:
    bool keyExists(Hive hive, std::string_view path) override {
        UniqueKey key;
        return openKey(hive, path, KEY_QUERY_VALUE, key);
    }

    bool createKey(Hive hive, std::string_view path) override {
        UniqueKey key;
        return createKeyFor(hive, path, KEY_QUERY_VALUE, key);
    }

    bool deleteKeyTree(Hive hive, std::string_view path) override {
        // An empty path names the hive itself, which is never ours to empty.
        if (path.find_first_not_of('\\') == std::string_view::npos) return false;
        const auto widePath = win32::toUtf16Name(path);
        if (!widePath) return false;
        {
            UniqueKey key;
            if (!openKey(hive, path,
                         DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, key)) {
                return false;
            }
            if (RegDeleteTreeW(key.get(), nullptr) != ERROR_SUCCESS) return false;
        }
        return RegDeleteKeyExW(rootOf(hive), widePath->c_str(), kView, 0) == ERROR_SUCCESS;
    }

    std::vector<std::string> subkeys(Hive hive, std::string_view path) override {
        std::vector<std::string> names;
        UniqueKey key;
        if (!openKey(hive, path, KEY_ENUMERATE_SUB_KEYS, key)) return names;
        wchar_t name[256];  // key names are at most 255 characters
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(std::size(name));
            const LSTATUS status =
                RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) break;
            names.push_back(win32::toUtf8(std::wstring_view(name, length)));
        }
        return names;
    }

    std::optional<RegistryValue> readValue(Hive hive, std::string_view path,
                                           std::string_view name) override {
        const auto wideName = win32::toUtf16Name(name);
        UniqueKey key;
        if (!wideName || !openKey(hive, path, KEY_QUERY_VALUE, key)) return std::nullopt;
        std::vector<BYTE> data(64);
        for (;;) {
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            const LSTATUS status =
                RegQueryValueExW(key.get(), wideName->c_str(), nullptr, &type, data.data(), &size);
            if (status == ERROR_MORE_DATA) {
                // The value grew in between; ask again with room for it.
                data.resize(std::max<std::size_t>(size, data.size() * 2));
                continue;
            }
            if (status != ERROR_SUCCESS) return std::nullopt;
            return decode(std::string(name), type, data.data(), size);
        }
    }

    std::vector<RegistryValue> values(Hive hive, std::string_view path) override {
        std::vector<RegistryValue> result;
        UniqueKey key;
        if (!openKey(hive, path, KEY_QUERY_VALUE, key)) return result;
        DWORD largestData = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
            return result;
        }
        std::wstring name(16384, L'\0');  // value names are at most 16383 characters
        std::vector<BYTE> data(largestData + sizeof(wchar_t));
        for (DWORD index = 0;;) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            const LSTATUS status = RegEnumValueW(key.get(), index, name.data(), &nameLength,
                                                 nullptr, &type, data.data(), &size);
            if (status == ERROR_MORE_DATA && size > data.size()) {
                data.resize(size);  // the value grew while we listed; read it again
                continue;
            }
            if (status != ERROR_SUCCESS) break;
            if (auto value = decode(win32::toUtf8(std::wstring_view(name.data(), nameLength)), type,
                                    data.data(), size)) {
                result.push_back(std::move(*value));
            }
            ++index;
        }
        return result;
    }

    bool writeValue(Hive hive, std::string_view path, const RegistryValue& value) override {
        const auto wideName = win32::toUtf16Name(value.name);
        UniqueKey key;
        if (!wideName || !createKeyFor(hive, path, KEY_SET_VALUE, key)) return false;
        if (value.type == ValueType::DWord) {
            const DWORD number = value.number;
            return RegSetValueExW(key.get(), wideName->c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&number),
                                  sizeof(number)) == ERROR_SUCCESS;
        }
        const auto text = win32::toUtf16(value.text);
        if (!text || text->size() >= MAXDWORD / sizeof(wchar_t)) return false;
        const DWORD type = value.type == ValueType::ExpandString ? REG_EXPAND_SZ : REG_SZ;
        const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), wideName->c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(text->c_str()), bytes) == ERROR_SUCCESS;
    }

    bool deleteValue(Hive hive, std::string_view path, std::string_view name) override {
        const auto wideName = win32::toUtf16Name(name);
        UniqueKey key;
        return wideName && openKey(hive, path, KEY_SET_VALUE, key) &&
               RegDeleteValueW(key.get(), wideName->c_str()) == ERROR_SUCCESS;
    }

    // The registry has no transactions here; each write lands as it is made.
    bool transact(const std::function<bool()>& body) override { return body(); }
};

}  // namespace

std::unique_ptr<RegistryStore> openSystemRegistry() {
    return std::make_unique<SystemRegistry>();
}

}  // namespace pos::platform
