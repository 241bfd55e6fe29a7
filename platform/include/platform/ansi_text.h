#pragma once
// The system's 8-bit code page, which the devices are sent text in. Windows: the ANSI code page
// (CP_ACP). Elsewhere: Windows-1252 unless OPOS_CODEPAGE names another (a number such as 1251
// or 437, or any iconv character-set name).
#include <string>
#include <string_view>

namespace pos::platform {

// Stops at the first NUL; characters the code page lacks become '?'.
std::string toAnsi(std::u16string_view text);
std::u16string fromAnsi(std::string_view text);

}  // namespace pos::platform
