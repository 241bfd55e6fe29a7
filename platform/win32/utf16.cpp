#include "utf16.h"

#include <windows.h>

#include <climits>

namespace pos::platform::win32 {

std::optional<std::wstring> toUtf16(std::string_view text) {
    if (text.empty()) return std::wstring();
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const int inLength = static_cast<int>(text.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), inLength, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), inLength, wide.data(),
                            length) != length) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::wstring> toUtf16Name(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    return toUtf16(text);
}

std::string toUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int inLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace pos::platform::win32
