// Reading registry files and applying what they say.
#include "reg_text.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reg_names.h"
#include "text_encoding.h"

namespace pos::tools {
namespace {

using platform::Hive;
using platform::RegistryValue;
using platform::ValueType;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";  // text in hex data is 8-bit, not UTF-16

// The value types the store holds; the others (binary, multi-string, QWORD...) are refused.
constexpr unsigned kTypeString = 1;
constexpr unsigned kTypeExpandString = 2;
constexpr unsigned kTypeDWord = 4;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHex(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (const char c : text) {
        const auto digit = hexDigit(c);
        if (!digit) {
            return std::nullopt;
        }
        number = (number << 4) | *digit;
    }
    return number;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The start of text for a message, cut whole characters only.
std::string excerpt(std::string_view text) {
    constexpr std::size_t kLength = 40;
    if (text.size() <= kLength) {
        return std::string(text);
    }
    std::size_t end = kLength;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end)) + "...";
}

std::size_t lineOfOffset(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

std::string lineError(std::size_t line, std::string_view what) {
    return "line " + std::to_string(line) + ": " + std::string(what);
}

// The file's bytes as UTF-8 text without BOM, checked to hold no malformed sequences or NULs
// (which no name or text can carry).
bool decodeFile(std::string_view bytes, std::string& text, std::string& error) {
    if (bytes.starts_with("\xFF\xFE")) {
        const std::string_view units = bytes.substr(2);
        std::size_t bad = 0;
        auto decoded = utf16leToUtf8(units, &bad);
        if (!decoded) {
            std::size_t line = 1;
            for (std::size_t i = 0; i + 1 < bad; i += 2) {
                line += units[i] == '\n' && units[i + 1] == '\0' ? 1 : 0;
            }
            error = lineError(line, "not valid UTF-16LE text");
            return false;
        }
        text = std::move(*decoded);
    } else if (bytes.starts_with("\xFE\xFF")) {
        error = lineError(1, "UTF-16 big-endian files are not supported (use UTF-16LE or UTF-8)");
        return false;
    } else {
        text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
        if (const std::size_t bad = findInvalidUtf8(text); bad != std::string_view::npos) {
            error = lineError(lineOfOffset(text, bad), "not valid UTF-8 text");
            return false;
        }
    }
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
        error = lineError(lineOfOffset(text, nul), "NUL character");
        return false;
    }
    return true;
}

class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}

    // The next line without its LF or CRLF; false at the end.
    bool next(std::string_view& line) {
        if (done_) {
            return false;
        }
        const std::size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            done_ = true;
            rest_ = {};
        } else {
            rest_.remove_prefix(end + 1);
            done_ = rest_.empty();  // a final line end starts no further line
        }
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    bool done_ = false;
    std::size_t number_ = 0;
};

class RegParser {
  public:
    explicit RegParser(std::string_view text) : lines_(text) {}

    bool run() {
        std::string_view line;
        if (!lines_.next(line)) {
            return fail("missing the first line '" + std::string(kHeader) + "'");
        }
        line = trim(line);
        if (line == kOldHeader) {
            wideText_ = false;
        } else if (line != kHeader) {
            return fail("the first line must be '" + std::string(kHeader) + "' or '" +
                        std::string(kOldHeader) + "'");
        }
        while (lines_.next(line)) {
            line = trim(line);
            if (line.empty() || line.front() == ';') {
                continue;
            }
            if (!parseLine(line)) {
                return false;
            }
        }
        return true;
    }

    std::vector<RegOperation>& operations() { return ops_; }
    const std::string& error() const { return error_; }

  private:
    struct Key {
        Hive hive;
        std::string path;
        bool deleted;
    };

    bool fail(std::string_view what) {
        error_ = lineError(lines_.number(), what);
        return false;
    }

    bool parseLine(std::string_view line) {
        if (line.front() == '[') {
            return parseKey(line);
        }
        if (line.front() == '"' || line.front() == '@') {
            return parseValue(line);
        }
        return fail("expected [key], \"name\"=value or @=value, found '" + excerpt(line) + "'");
    }

    // line: where the key or value starts, when hex data went on over more lines.
    void add(RegOperation::Kind kind, RegistryValue value, std::size_t line) {
        ops_.push_back(
            RegOperation{kind, key_->hive, key_->path, std::move(value), static_cast<int>(line)});
    }

    // [HIVE\path] or [-HIVE\path]
    bool parseKey(std::string_view line) {
        if (!line.ends_with(']')) {
            return fail("missing ']' at the end of the key line");
        }
        std::string_view name = line.substr(1, line.size() - 2);
        const bool deleting = name.starts_with('-');
        if (deleting) {
            name.remove_prefix(1);
        }
        Key key{Hive::LocalMachine, {}, deleting};
        std::string why;
        if (!parseRegKeyName(name, key.hive, key.path, &why)) {
            return fail(why);
        }
        if (deleting && key.path.empty()) {
            return fail("a hive root cannot be deleted");
        }
        key_ = std::move(key);
        add(deleting ? RegOperation::Kind::DeleteKey : RegOperation::Kind::CreateKey, {},
            lines_.number());
        return true;
    }

    // "name"=data or @=data
    bool parseValue(std::string_view line) {
        if (!key_) {
            return fail("value before any [key] line");
        }
        if (key_->deleted) {
            return fail("value under a key that is being deleted");
        }
        const std::size_t start = lines_.number();
        RegistryValue value;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!parseQuoted(line, value.name)) {
            return false;
        } else if (utf16Units(value.name) > kMaxValueNameUnits) {
            return fail("value name longer than 16383 characters");
        }
        line = trim(line);
        if (!line.starts_with('=')) {
            return fail("expected '=' after the value name");
        }
        line = trim(line.substr(1));
        if (line == "-") {
            add(RegOperation::Kind::DeleteValue, std::move(value), start);
            return true;
        }
        if (line.starts_with('"')) {
            value.type = ValueType::String;
            if (!parseQuoted(line, value.text)) {
                return false;
            }
            if (!line.empty()) {
                return fail("unexpected text after the closing quote");
            }
        } else if (startsWithIgnoringCase(line, "dword:")) {
            const auto number = parseHex(line.substr(6), 8);
            if (!number) {
                return fail("bad dword '" + excerpt(line.substr(6)) +
                            "' (expected 1 to 8 hex digits)");
            }
            value.type = ValueType::DWord;
            value.number = *number;
        } else if (startsWithIgnoringCase(line, "hex")) {
            if (!parseHexValue(line.substr(3), value)) {
                return false;
            }
        } else {
            return fail("expected a \"string\", dword:, hex(...): or - after '='");
        }
        add(RegOperation::Kind::SetValue, std::move(value), start);
        return true;
    }

    // A double-quoted string with \\ and \" escapes at the start of text; text is left after it.
    bool parseQuoted(std::string_view& text, std::string& out) {
        std::size_t i = 1;  // past the opening quote
        while (i < text.size() && text[i] != '"') {
            if (text[i] == '\\') {
                if (i + 1 >= text.size()) {
                    break;
                }
                if (text[i + 1] != '\\' && text[i + 1] != '"') {
                    return fail(std::string("unknown escape '\\") + text[i + 1] +
                                "' in a string (only \\\\ and \\\" are allowed)");
                }
                ++i;
            }
            out += text[i];
            ++i;
        }
        if (i >= text.size()) {
            return fail("unterminated string");
        }
        text.remove_prefix(i + 1);
        return true;
    }

    // After "hex": an optional "(type)", ':' and the byte list.
    bool parseHexValue(std::string_view text, RegistryValue& value) {
        unsigned type = 3;  // plain "hex:" is binary data
        std::string typeName = "hex";
        if (text.starts_with('(')) {
            const std::size_t close = text.find(')');
            const auto number = close == std::string_view::npos
                                    ? std::nullopt
                                    : parseHex(text.substr(1, close - 1), 8);
            if (!number) {
                return fail("bad hex type; expected hex(N): with N in hex");
            }
            type = *number;
            typeName = "hex(" + std::string(text.substr(1, close - 1)) + ")";
            text.remove_prefix(close + 1);
        }
        if (!text.starts_with(':')) {
            return fail("expected ':' after " + typeName);
        }
        if (type != kTypeString && type != kTypeExpandString && type != kTypeDWord) {
            return fail("unsupported value type " + typeName +
                        " (the registry here holds strings, hex(2) expandable strings and "
                        "dwords)");
        }
        std::string bytes;
        if (!parseHexBytes(text.substr(1), bytes)) {
            return false;
        }
        if (type == kTypeDWord) {
            if (bytes.size() != 4) {
                return fail("hex(4) needs exactly 4 bytes");
            }
            value.type = ValueType::DWord;
            value.number = 0;
            for (int i = 3; i >= 0; --i) {
                value.number = (value.number << 8) | static_cast<unsigned char>(bytes[i]);
            }
            return true;
        }
        value.type = type == kTypeString ? ValueType::String : ValueType::ExpandString;
        return decodeHexText(bytes, value.text);
    }

    // Comma-separated bytes; a line ending in '\' goes on with the next line.
    bool parseHexBytes(std::string_view text, std::string& bytes) {
        std::string token;
        bool sawComma = false;
        auto finish = [&]() {
            const auto byte = parseHex(trim(token), 2);
            if (!byte) {
                return fail(trim(token).empty() ? std::string("missing byte in the hex list")
                                                : "bad hex byte '" + excerpt(trim(token)) + "'");
            }
            bytes += static_cast<char>(*byte);
            token.clear();
            return true;
        };
        while (true) {
            text = trim(text);
            const bool goesOn = text.ends_with('\\');
            if (goesOn) {
                text.remove_suffix(1);
            }
            for (const char c : text) {
                if (c == ',') {
                    sawComma = true;
                    if (!finish()) {
                        return false;
                    }
                } else {
                    token += c;
                }
            }
            if (!goesOn) {
                break;
            }
            if (!trim(token).empty()) {
                token += ' ';  // a byte cannot be split across lines
            }
            if (!lines_.next(text)) {
                return fail("hex data goes on past the end of the file");
            }
        }
        return (!sawComma && trim(token).empty()) || finish();
    }

    // Text in hex(1)/hex(2) data: UTF-16LE, or 8-bit in old files, ending in one NUL.
    bool decodeHexText(std::string_view bytes, std::string& text) {
        if (!wideText_) {
            if (bytes.ends_with('\0')) {
                bytes.remove_suffix(1);
            }
            if (findInvalidUtf8(bytes) != std::string_view::npos) {
                return fail("text in hex data is not valid UTF-8");
            }
            text = bytes;
        } else {
            if (bytes.size() % 2 != 0) {
                return fail("odd number of bytes in UTF-16 text");
            }
            if (bytes.ends_with(std::string_view("\0\0", 2))) {
                bytes.remove_suffix(2);
            }
            auto decoded = utf16leToUtf8(bytes, nullptr);
            if (!decoded) {
                return fail("text in hex data is not valid UTF-16LE");
            }
            text = std::move(*decoded);
        }
        if (text.find('\0') != std::string::npos) {
            return fail("text in hex data holds a NUL before its end");
        }
        return true;
    }

    Lines lines_;
    bool wideText_ = true;
    std::optional<Key> key_;
    std::vector<RegOperation> ops_;
    std::string error_;
};

std::string at(const RegOperation& op) {
    return op.line > 0 ? "line " + std::to_string(op.line) + ": " : std::string();
}

}  // namespace

bool parseRegText(std::string_view bytes, std::vector<RegOperation>& out, std::string* error) {
    std::string text;
    std::string why;
    if (!decodeFile(bytes, text, why)) {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return false;
    }
    RegParser parser(text);
    if (!parser.run()) {
        if (error != nullptr) {
            *error = parser.error();
        }
        return false;
    }
    out = std::move(parser.operations());
    return true;
}

bool applyRegOperations(platform::RegistryStore& store, const std::vector<RegOperation>& ops,
                        std::string* error) {
    using Kind = RegOperation::Kind;
    std::string why;
    const bool done = store.transact([&] {
        for (const RegOperation& op : ops) {
            const std::string key = regKeyName(op.hive, op.path);
            switch (op.kind) {
                case Kind::CreateKey:
                    if (!store.createKey(op.hive, op.path)) {
                        why = at(op) + "cannot create key " + key;
                        return false;
                    }
                    break;
                case Kind::DeleteKey:
                    // false also means "was not there", which is fine
                    if (op.path.empty() || (!store.deleteKeyTree(op.hive, op.path) &&
                                            store.keyExists(op.hive, op.path))) {
                        why = at(op) + "cannot delete key " + key;
                        return false;
                    }
                    break;
                case Kind::SetValue:
                    if (!store.writeValue(op.hive, op.path, op.value)) {
                        why = at(op) + "cannot write value '" + op.value.name + "' under " + key;
                        return false;
                    }
                    break;
                case Kind::DeleteValue:
                    if (!store.deleteValue(op.hive, op.path, op.value.name) &&
                        store.readValue(op.hive, op.path, op.value.name)) {
                        why = at(op) + "cannot delete value '" + op.value.name + "' under " + key;
                        return false;
                    }
                    break;
            }
        }
        return true;
    });
    if (!done && error != nullptr) {
        *error = why.empty() ? "the registry store did not take the changes" : why;
    }
    return done;
}

}  // namespace pos::tools
