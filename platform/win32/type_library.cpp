#include "platform/type_library.h"

#include <string>

namespace pos::platform {

namespace {
std::wstring wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
    return out;
}
}  // namespace

ITypeInfo* loadTypeInfo(const std::string& modulePath, REFGUID interfaceId) {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(wide(modulePath).c_str(), REGKIND_NONE, &library))) return nullptr;
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(interfaceId, &info))) info = nullptr;
    library->Release();
    return info;
}

HRESULT registerTypeLibrary(const std::string& modulePath) {
    ITypeLib* library = nullptr;
    const HRESULT hr = LoadTypeLibEx(wide(modulePath).c_str(), REGKIND_REGISTER, &library);
    if (SUCCEEDED(hr)) library->Release();
    return hr;
}

HRESULT unregisterTypeLibrary(REFGUID libraryId, unsigned short major, unsigned short minor,
                              LCID lcid) {
    return UnRegisterTypeLib(libraryId, major, minor, lcid, SYS_WIN32);
}

}  // namespace pos::platform
