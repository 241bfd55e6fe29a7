// Writing a key tree in the form regedit exports, so a file taken from here can be read back
// here or on Windows.
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "reg_text.h"
#include "text_encoding.h"

namespace pos::tools {
namespace {

using platform::Hive;
using platform::RegistryStore;
using platform::RegistryValue;
using platform::ValueType;

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kMaxDepth = 512;

bool holdsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

// "hex(N):" and the bytes, broken after a comma with '\' before a line grows past 80 columns.
void appendHex(std::string& out, std::size_t column, std::string_view typeName,
               std::string_view bytes) {
    out += typeName;
    column += typeName.size();
    bool lineHasBytes = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        if (lineHasBytes && column + (last ? 2 : 3) + 1 > kLineWidth) {
            out += "\\\n  ";
            column = 2;
        }
        char piece[4];
        std::snprintf(piece, sizeof piece, last ? "%02x" : "%02x,",
                      static_cast<unsigned char>(bytes[i]));
        out += piece;
        column += last ? 2 : 3;
        lineHasBytes = true;
    }
}

class Exporter {
  public:
    Exporter(RegistryStore& store, Hive hive) : store_(store), hive_(hive) {}

    bool writeKey(const std::string& path, std::size_t depth) {
        const std::string name = regKeyName(hive_, path);
        if (depth > kMaxDepth) {
            return fail("key path deeper than 512 levels at " + name);
        }
        if (holdsLineEnd(path)) {
            return fail("key name with a line break cannot be written: " + quoted(name));
        }
        out_ += "[" + name + "]\n";
        for (const RegistryValue& value : store_.values(hive_, path)) {
            if (!writeValue(name, value)) {
                return false;
            }
        }
        out_ += '\n';
        for (const std::string& child : store_.subkeys(hive_, path)) {
            std::string childPath = path;
            if (!childPath.empty()) childPath += '\\';
            childPath += child;
            if (!writeKey(childPath, depth + 1)) {
                return false;
            }
        }
        return true;
    }

    std::string& text() { return out_; }
    const std::string& error() const { return error_; }

  private:
    bool fail(std::string what) {
        error_ = std::move(what);
        return false;
    }

    bool writeValue(const std::string& key, const RegistryValue& value) {
        const std::string where = "value " + quoted(value.name) + " under " + key;
        if (holdsLineEnd(value.name)) {
            return fail(where + ": a name with a line break cannot be written");
        }
        const std::string start = value.name.empty() ? "@=" : quoted(value.name) + "=";
        if (value.type == ValueType::DWord) {
            char number[16];
            std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(value.number));
            out_ += start + number + '\n';
            return true;
        }
        if (findInvalidUtf8(value.text) != std::string_view::npos) {
            return fail(where + " is not valid UTF-8");
        }
        if (value.text.find('\0') != std::string::npos) {
            return fail(where + " holds a NUL character");
        }
        out_ += start;
        if (value.type == ValueType::String && !holdsLineEnd(value.text)) {
            out_ += quoted(value.text);
        } else {
            // Expandable strings, and strings whose line breaks a quoted form cannot carry.
            const char* typeName = value.type == ValueType::String ? "hex(1):" : "hex(2):";
            appendHex(out_, start.size(), typeName,
                      utf8ToUtf16le(value.text) + std::string(2, '\0'));
        }
        out_ += '\n';
        return true;
    }

    RegistryStore& store_;
    Hive hive_;
    std::string out_ = "Windows Registry Editor Version 5.00\n\n";
    std::string error_;
};

// "\\A\\\\B\\" and "A\\B" name the same key; the file shows the tidy form.
std::string tidyPath(std::string_view path) {
    std::string tidy;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            tidy += tidy.empty() ? "" : "\\";
            tidy += path.substr(start, end - start);
        }
        start = end + 1;
    }
    return tidy;
}

}  // namespace

std::optional<std::string> exportRegText(RegistryStore& store, Hive hive, std::string_view path,
                                         std::string* error) {
    const std::string tidy = tidyPath(path);
    auto fail = [&](const std::string& what) -> std::optional<std::string> {
        if (error != nullptr) {
            *error = what;
        }
        return std::nullopt;
    };
    if (!store.keyExists(hive, tidy)) {
        return fail("key " + regKeyName(hive, tidy) + " does not exist");
    }
    Exporter exporter(store, hive);
    if (!exporter.writeKey(tidy, 0)) {
        return fail(exporter.error());
    }
    return std::move(exporter.text());
}

}  // namespace pos::tools
