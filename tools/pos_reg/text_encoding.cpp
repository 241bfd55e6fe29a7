#include "text_encoding.h"

#include <cstdint>

namespace pos::tools {
namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void appendUnit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

std::size_t findInvalidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        } else {
            return i;
        }
        if (text.size() - i < length) {
            return i;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (!isContinuation(byte)) {
                return i;
            }
            code = (code << 6) | (byte & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

std::optional<std::string> utf16leToUtf8(std::string_view bytes, std::size_t* badOffset) {
    auto fail = [&](std::size_t offset) -> std::optional<std::string> {
        if (badOffset != nullptr) {
            *badOffset = offset;
        }
        return std::nullopt;
    };
    auto unitAt = [&](std::size_t offset) -> std::uint32_t {
        return static_cast<unsigned char>(bytes[offset]) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8);
    };
    if (bytes.size() % 2 != 0) {
        return fail(bytes.size() - 1);
    }
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return fail(i);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 2 >= bytes.size()) {
                return fail(i);
            }
            const std::uint32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return fail(i);
            }
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string utf8ToUtf16le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1   ? lead
                             : length == 2 ? lead & 0x1F
                             : length == 3 ? lead & 0x0F
                                           : lead & 0x07;
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            appendUnit(out, 0xD800 + (code >> 10));
            appendUnit(out, 0xDC00 + (code & 0x3FF));
        } else {
            appendUnit(out, code);
        }
    }
    return out;
}

}  // namespace pos::tools
