#include "platform/com_activation.h"

#include <cstdio>

namespace pos::platform {

std::unique_ptr<ActivatedObject> activateByProgId(const std::string& progId, RegistryStore*,
                                                  std::string* error) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, progId.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, progId.c_str(), -1, wide.data(), n);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(wide.c_str(), &clsid);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&dispatch));
    }
    if (FAILED(hr) || dispatch == nullptr) {
        if (error != nullptr) {
            char text[96];
            std::snprintf(text, sizeof text, "cannot create '%s' (HRESULT 0x%08lX)", progId.c_str(),
                          static_cast<unsigned long>(hr));
            *error = text;
        }
        return nullptr;
    }
    return std::make_unique<ActivatedObject>(dispatch, DynamicLibrary());
}

}  // namespace pos::platform
