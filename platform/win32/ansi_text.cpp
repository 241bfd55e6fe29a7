#include "platform/ansi_text.h"

#include <windows.h>

namespace pos::platform {

std::string toAnsi(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const char fallback = '?';
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, &fallback, nullptr);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), n, &fallback, nullptr);
    return out;
}

std::u16string fromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), n);
    return std::u16string(reinterpret_cast<const char16_t*>(out.data()), out.size());
}

}  // namespace pos::platform
