#include "platform/ansi_text.h"

#include <iconv.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

namespace pos::platform {

namespace {

// One 8-bit code page as a byte → UTF-16 table; 0xFFFF marks a byte with no character.
struct CodePage {
    std::array<char16_t, 256> toUnicode{};
};

// The upper half of Windows-1252, so the default needs nothing from the system.
constexpr char16_t kWindows1252High[128] = {
    0x20AC, 0xFFFF, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0xFFFF, 0x017D, 0xFFFF, 0xFFFF, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFF, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF};

CodePage windows1252() {
    CodePage page;
    for (int b = 0; b < 128; ++b) page.toUnicode[b] = static_cast<char16_t>(b);
    for (int b = 128; b < 256; ++b) page.toUnicode[b] = kWindows1252High[b - 128];
    return page;
}

// Builds the table through iconv; nullopt when the system does not know the name.
std::optional<CodePage> fromIconv(const std::string& name) {
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    CodePage page;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[8] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool ok =
            iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            sizeof out - outLeft == 2;
        page.toUnicode[b] = ok ? static_cast<char16_t>(out[0] | (out[1] << 8)) : char16_t{0xFFFF};
    }
    iconv_close(cd);
    return page;
}

const CodePage& systemCodePage() {
    static const CodePage page = [] {
        const char* chosen = std::getenv("OPOS_CODEPAGE");
        if (chosen == nullptr || *chosen == '\0') return windows1252();
        std::string name = chosen;
        if (name == "1252") return windows1252();
        if (name.find_first_not_of("0123456789") == std::string::npos) name = "CP" + name;
        return fromIconv(name).value_or(windows1252());
    }();
    return page;
}

}  // namespace

std::string toAnsi(std::u16string_view text) {
    const CodePage& page = systemCodePage();
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\0') break;
        char byte = '?';
        if (c < 0x80 && page.toUnicode[c] == c) {
            byte = static_cast<char>(c);
        } else {
            for (int b = 0x80; b < 256; ++b) {
                if (page.toUnicode[b] == c) {
                    byte = static_cast<char>(b);
                    break;
                }
            }
        }
        out.push_back(byte);
    }
    return out;
}

std::u16string fromAnsi(std::string_view text) {
    const CodePage& page = systemCodePage();
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        const char16_t u = page.toUnicode[static_cast<unsigned char>(c)];
        out.push_back(u == 0xFFFF ? u'?' : u);
    }
    return out;
}

}  // namespace pos::platform
