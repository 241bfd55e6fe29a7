#pragma once
// The two encodings registry files come in: UTF-8 and UTF-16LE.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pos::tools {

// Offset of the first byte that breaks well-formed UTF-8 (overlong forms, surrogates and code
// points past U+10FFFF included), or npos when text is all well-formed.
std::size_t findInvalidUtf8(std::string_view text);

// nullopt, with badOffset at the offending byte, for an odd byte count or an unpaired
// surrogate.
std::optional<std::string> utf16leToUtf8(std::string_view bytes, std::size_t* badOffset);

// text must be well-formed UTF-8 (see findInvalidUtf8).
std::string utf8ToUtf16le(std::string_view text);

}  // namespace pos::tools
