#include "platform/private_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace pos::platform {

namespace {
std::string systemTemporaryFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment != nullptr && fromEnvironment[0] == '/') return fromEnvironment;
    return "/tmp";
}
}  // namespace

PrivateFolder PrivateFolder::create(const std::string& parent, const std::string& prefix) {
    std::string base = parent.empty() ? systemTemporaryFolder() : parent;
    if (base.back() != '/') base += '/';
    if (prefix.find('/') != std::string::npos || prefix.find('\0') != std::string::npos) return {};
    std::string name = base + prefix + "-XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    // mkdtemp makes the folder with mode 0700 and fails rather than reuse anything that is
    // already there, a planted link included.
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    return PrivateFolder(std::string(pattern.data()) + "/");
}

void PrivateFolder::remove() {
    if (path_.empty()) return;
    // remove_all deletes links without following them; only this user can write in the folder.
    // The trailing separator would make the folder's own name be followed.
    std::error_code ignored;
    std::filesystem::remove_all(path_.substr(0, path_.size() - 1), ignored);
    path_.clear();
}

}  // namespace pos::platform
