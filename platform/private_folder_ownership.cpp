// Ownership of a private folder, the same everywhere; making and removing one is the system's.
#include <utility>

#include "platform/private_folder.h"

namespace pos::platform {

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : path_(std::exchange(other.path_, {})) {}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

PrivateFolder::~PrivateFolder() {
    remove();
}

}  // namespace pos::platform
