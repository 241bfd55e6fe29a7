#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_store.h"
#include "platform/sqlite_registry.h"

namespace pos::platform {
namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

// For services started without HOME.
std::optional<std::string> accountHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

// Only the folders made here get 0700; existing ones keep their mode.
bool createParentFolders(const std::string& file) {
    const std::filesystem::path parent = std::filesystem::path(file).parent_path();
    std::filesystem::path prefix;
    for (const auto& part : parent) {
        prefix /= part;
        if (prefix == prefix.root_path()) {
            continue;
        }
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string defaultRegistryPath() {
    if (auto chosen = environment("OPOS_REGISTRY")) {
        return *chosen;
    }
    // Relative XDG_CONFIG_HOME values are to be ignored.
    if (auto config = environment("XDG_CONFIG_HOME"); config && config->front() == '/') {
        return *config + "/opos/registry.db";
    }
    auto home = environment("HOME");
    if (!home) {
        home = accountHome();
    }
    return home ? *home + "/.config/opos/registry.db" : std::string();
}

// Callers treat nullptr as an empty registry, so failures stay quiet here.
std::unique_ptr<RegistryStore> openSystemRegistry() {
    const std::string path = defaultRegistryPath();
    if (path.empty() || !createParentFolders(path)) {
        return nullptr;
    }
    return openSqliteRegistry(path, nullptr);
}

}  // namespace pos::platform
