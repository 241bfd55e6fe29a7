#pragma once
// Self-registration as a tree of keys, applied to a store the way registry scripts are:
// ForceRemove keys are deleted before they are written, NoRemove keys survive unregistration.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_store.h"

namespace pos::component {

struct RegistrationKey {
    enum class Removal { Normal, ForceRemove, NoRemove };
    std::string name;
    std::optional<std::string> defaultValue;
    std::vector<std::pair<std::string, std::string>> namedValues;
    Removal removal = Removal::Normal;
    std::vector<RegistrationKey> children;
};

bool registerKeys(platform::RegistryStore& store, platform::Hive hive,
                  const std::vector<RegistrationKey>& keys);
bool unregisterKeys(platform::RegistryStore& store, platform::Hive hive,
                    const std::vector<RegistrationKey>& keys);

}  // namespace pos::component
