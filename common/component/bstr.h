#pragma once
// Component strings (UTF-16, length-prefixed) and the 8-bit text the devices take.
#include <string>
#include <string_view>

#include "platform/com.h"

namespace pos::component {

std::u16string fromBstr(BSTR text);
// A newly allocated string the receiver frees; nullptr only when memory runs out.
BSTR allocBstr(std::u16string_view text);
std::u16string widen(std::string_view ascii);  // ASCII/Latin-1 → UTF-16, byte for byte
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

inline const OLECHAR* oleChars(const std::u16string& text) {
    return reinterpret_cast<const OLECHAR*>(text.c_str());
}

// Owns one BSTR.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : value_(allocBstr(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    BSTR get() const { return value_; }
    BSTR* out() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::u16string str() const { return fromBstr(value_); }

  private:
    BSTR value_ = nullptr;
};

}  // namespace pos::component
