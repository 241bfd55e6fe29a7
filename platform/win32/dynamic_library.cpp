// Libraries through LoadLibraryW; paths are UTF-8 outside and UTF-16 towards Windows.
#include "platform/dynamic_library.h"

#include <windows.h>

#include <utility>

#include "utf16.h"

namespace pos::platform {
namespace {

std::string describeError(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    std::string result = "error " + std::to_string(code);
    if (!message.empty()) result += ": " + win32::toUtf8(message);
    return result;
}

}  // namespace

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string* error) {
    const auto widePath = win32::toUtf16Name(path);
    if (!widePath || widePath->empty()) {
        if (error != nullptr) *error = "cannot load \"" + path + "\": not a valid path";
        return {};
    }
    // A missing dependency must fail the call, not put up a dialog in the host process.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryW(widePath->c_str());
    const DWORD loadError = GetLastError();
    SetThreadErrorMode(previousMode, nullptr);
    if (module == nullptr) {
        if (error != nullptr) *error = "cannot load \"" + path + "\": " + describeError(loadError);
        return {};
    }
    return DynamicLibrary(module);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::symbol(const std::string& name) const {
    if (handle_ == nullptr || name.empty() || name.find('\0') != std::string::npos) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

std::string modulePathOf(const void* addressInModule) {
    // Null would name the program itself, which is not what the caller asked about.
    if (addressInModule == nullptr) return {};
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(addressInModule), &module)) {
        return {};
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return win32::toUtf8(path);
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

}  // namespace pos::platform
