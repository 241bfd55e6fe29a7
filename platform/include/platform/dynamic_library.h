#pragma once
#include <string>
#include <string_view>

namespace pos::platform {

// A loaded shared library, unloaded when the object goes away.
class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    static DynamicLibrary open(const std::string& path, std::string* error = nullptr);
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    bool loaded() const { return handle_ != nullptr; }
    void* symbol(const std::string& name) const;

  private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

// Full path of the library or program that contains the given address.
std::string modulePathOf(const void* addressInModule);

}  // namespace pos::platform
