#pragma once
// Text crosses into the wide Win32 calls as UTF-16 and comes back as UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace pos::platform::win32 {

// Empty when text is not valid UTF-8.
std::optional<std::wstring> toUtf16(std::string_view text);
// Also empty when text holds a NUL, which a name passed to Win32 cannot carry.
std::optional<std::wstring> toUtf16Name(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string toUtf8(std::wstring_view text);

}  // namespace pos::platform::win32
