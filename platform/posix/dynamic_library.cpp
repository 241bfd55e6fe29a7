#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace pos::platform {

namespace {

std::string lastDlError(const std::string& fallback) {
    const char* text = ::dlerror();
    return text != nullptr ? std::string(text) : fallback;
}

std::string absolutePath(const char* path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path, nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

std::string runningProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string* error) {
    // dlopen would hand back the running program for "" and stop at an embedded NUL.
    if (path.empty() || path.find('\0') != std::string::npos) {
        if (error != nullptr) {
            *error = "invalid library path";
        }
        return {};
    }
    (void)::dlerror();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && error != nullptr) {
        *error = lastDlError("cannot load " + path);
    }
    return DynamicLibrary(handle);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
    }
}

void* DynamicLibrary::symbol(const std::string& name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    return ::dlsym(handle_, name.c_str());
}

std::string modulePathOf(const void* addressInModule) {
    Dl_info info{};
    link_map* module = nullptr;
    if (addressInModule == nullptr ||
        ::dladdr1(addressInModule, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) ==
            0) {
        return {};
    }
    // The program itself has no name in the loader's list; dladdr would offer argv[0].
    if (module != nullptr && module->l_name != nullptr && module->l_name[0] == '\0') {
        return runningProgramPath();
    }
    return info.dli_fname != nullptr ? absolutePath(info.dli_fname) : std::string();
}

}  // namespace pos::platform
