#include <cstdlib>
#include <cstring>

#include "platform/posix_com_abi.h"

namespace {
// Like the Windows original: a 32-bit byte count just before the characters, then a NUL.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
thread_local int comInitCount = 0;
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > (0x7FFFFFFFu - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR)) return nullptr;
    const std::uint32_t bytes = length * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &bytes, kPrefix);
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
    if (text != nullptr) {
        std::memcpy(chars, text, bytes);
    } else {
        std::memset(chars, 0, bytes);
    }
    chars[length] = u'\0';
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    UINT length = 0;
    while (text[length] != u'\0') ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - kPrefix);
}

UINT SysStringLen(BSTR text) {
    if (text == nullptr) return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - kPrefix, kPrefix);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT* v) {
    std::memset(v, 0, sizeof(VARIANT));
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) return E_INVALIDARG;
    if ((v->vt & VT_BYREF) == 0) {
        switch (v->vt) {
            case VT_BSTR:
                SysFreeString(v->bstrVal);
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                if (v->punkVal != nullptr) v->punkVal->Release();
                break;
            default:
                break;
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT CoInitializeEx(void* /*reserved*/, DWORD /*flags*/) {
    return comInitCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (comInitCount > 0) --comInitCount;
}

LCID GetUserDefaultLCID() {
    return 0x0409;
}
