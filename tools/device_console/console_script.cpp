#include "console_script.h"

#include <cctype>
#include <cstdlib>

#include "component/bstr.h"

namespace pos::tools {

namespace {
bool parseNumber(const std::string& token, std::int32_t& out) {
    if (token.empty()) return false;
    char* end = nullptr;
    const long long value = std::strtoll(token.c_str(), &end, 0);
    if (end == nullptr || *end != '\0') return false;
    if (value < -2147483648LL || value > 4294967295LL) return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return true;
}

// Reads a quoted string starting at line[pos] == '"'; bytes are taken as Latin-1, \uXXXX for more.
bool parseQuoted(const std::string& line, std::size_t& pos, std::u16string& out,
                 std::string* error) {
    ++pos;
    while (pos < line.size() && line[pos] != '"') {
        char c = line[pos++];
        if (c != '\\') {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
            continue;
        }
        if (pos >= line.size()) break;
        c = line[pos++];
        switch (c) {
            case 'n':
                out.push_back(u'\n');
                break;
            case 'r':
                out.push_back(u'\r');
                break;
            case 't':
                out.push_back(u'\t');
                break;
            case 'e':
                out.push_back(u'\x1b');
                break;
            case '0':
                out.push_back(u'\0');
                break;
            case '\\':
                out.push_back(u'\\');
                break;
            case '"':
                out.push_back(u'"');
                break;
            case 'x':
            case 'u': {
                const std::size_t digits = c == 'x' ? 2 : 4;
                if (pos + digits > line.size()) {
                    if (error) *error = "short \\" + std::string(1, c) + " escape";
                    return false;
                }
                char* end = nullptr;
                const std::string hex = line.substr(pos, digits);
                const unsigned long v = std::strtoul(hex.c_str(), &end, 16);
                if (*end != '\0') {
                    if (error) *error = "bad \\" + std::string(1, c) + " escape";
                    return false;
                }
                out.push_back(static_cast<char16_t>(v));
                pos += digits;
                break;
            }
            default:
                if (error) *error = std::string("unknown escape \\") + c;
                return false;
        }
    }
    if (pos >= line.size()) {
        if (error) *error = "unterminated string";
        return false;
    }
    ++pos;  // the closing quote
    return true;
}
}  // namespace

std::optional<ScriptLine> parseScriptLine(const std::string& line, std::string* error) {
    if (error) error->clear();
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
    };
    skipSpace();
    if (pos >= line.size() || line[pos] == '#') return std::nullopt;
    ScriptLine out;
    while (pos < line.size() &&
           (std::isalnum(static_cast<unsigned char>(line[pos])) || line[pos] == '_')) {
        out.method.push_back(line[pos++]);
    }
    if (out.method.empty()) {
        if (error) *error = "a line starts with a method name";
        return std::nullopt;
    }
    for (;;) {
        skipSpace();
        if (pos >= line.size() || line[pos] == '#') break;
        const bool byRef = line[pos] == '&';
        if (byRef) ++pos;
        if (pos < line.size() && line[pos] == '"') {
            std::u16string text;
            if (!parseQuoted(line, pos, text, error)) return std::nullopt;
            out.args.push_back({std::move(text), byRef});
            continue;
        }
        std::string token;
        while (pos < line.size() && !std::isspace(static_cast<unsigned char>(line[pos])))
            token.push_back(line[pos++]);
        std::int32_t number = 0;
        if (!parseNumber(token, number)) {
            if (error) *error = "'" + token + "' is neither a number nor a quoted string";
            return std::nullopt;
        }
        out.args.push_back({number, byRef});
    }
    return out;
}

std::string escapeText(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        switch (c) {
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            case u'\x1b':
                out += "\\e";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'"':
                out += "\\\"";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out.push_back(static_cast<char>(c));
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, c < 0x100 ? "\\x%02X" : "\\u%04X",
                                  static_cast<unsigned>(c));
                    out += hex;
                }
        }
    }
    return out;
}

const char* resultCodeName(std::int32_t code) {
    switch (code) {
        case 0:
            return "OPOS_SUCCESS";
        case 101:
            return "OPOS_E_CLOSED";
        case 102:
            return "OPOS_E_CLAIMED";
        case 103:
            return "OPOS_E_NOTCLAIMED";
        case 104:
            return "OPOS_E_NOSERVICE";
        case 105:
            return "OPOS_E_DISABLED";
        case 106:
            return "OPOS_E_ILLEGAL";
        case 107:
            return "OPOS_E_NOHARDWARE";
        case 108:
            return "OPOS_E_OFFLINE";
        case 109:
            return "OPOS_E_NOEXIST";
        case 110:
            return "OPOS_E_EXISTS";
        case 111:
            return "OPOS_E_FAILURE";
        case 112:
            return "OPOS_E_TIMEOUT";
        case 113:
            return "OPOS_E_BUSY";
        case 114:
            return "OPOS_E_EXTENDED";
        default:
            return "";
    }
}

}  // namespace pos::tools
