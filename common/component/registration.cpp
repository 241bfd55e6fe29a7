#include "registration.h"

namespace pos::component {

namespace {
using platform::RegistryValue;
using platform::ValueType;

bool writeKey(platform::RegistryStore& store, platform::Hive hive, const std::string& parent,
              const RegistrationKey& key) {
    const std::string path = parent.empty() ? key.name : parent + "\\" + key.name;
    if (key.removal == RegistrationKey::Removal::ForceRemove && store.keyExists(hive, path)) {
        if (!store.deleteKeyTree(hive, path)) return false;
    }
    if (!store.createKey(hive, path)) return false;
    if (key.defaultValue &&
        !store.writeValue(hive, path, RegistryValue{"", ValueType::String, *key.defaultValue, 0})) {
        return false;
    }
    for (const auto& [name, text] : key.namedValues) {
        if (!store.writeValue(hive, path, RegistryValue{name, ValueType::String, text, 0}))
            return false;
    }
    for (const auto& child : key.children) {
        if (!writeKey(store, hive, path, child)) return false;
    }
    return true;
}

void removeKey(platform::RegistryStore& store, platform::Hive hive, const std::string& parent,
               const RegistrationKey& key) {
    const std::string path = parent.empty() ? key.name : parent + "\\" + key.name;
    if (key.removal == RegistrationKey::Removal::NoRemove) {
        for (const auto& child : key.children) removeKey(store, hive, path, child);
        return;
    }
    if (store.keyExists(hive, path)) store.deleteKeyTree(hive, path);
}
}  // namespace

bool registerKeys(platform::RegistryStore& store, platform::Hive hive,
                  const std::vector<RegistrationKey>& keys) {
    return store.transact([&] {
        for (const auto& key : keys) {
            if (!writeKey(store, hive, "", key)) return false;
        }
        return true;
    });
}

bool unregisterKeys(platform::RegistryStore& store, platform::Hive hive,
                    const std::vector<RegistrationKey>& keys) {
    return store.transact([&] {
        for (const auto& key : keys) removeKey(store, hive, "", key);
        for (const auto& key : keys) {
            if (key.removal != RegistrationKey::Removal::NoRemove &&
                store.keyExists(hive, key.name))
                return false;
        }
        return true;
    });
}

}  // namespace pos::component
