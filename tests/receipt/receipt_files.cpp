#include "receipt_files.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "console_script.h"

namespace pos::test {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Bytes readHexFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path.string());
    Bytes bytes;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        for (std::string word; words >> word;) {
            const int high = hexDigit(word[0]);
            const int low = word.size() == 2 ? hexDigit(word[1]) : -1;
            if (high < 0 || low < 0) {
                throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": '" +
                                         word + "' is not a byte in hexadecimal");
            }
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
    }
    return bytes;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> runScript(control::ControlObject& device,
                                   const std::filesystem::path& script) {
    std::ifstream file(script);
    if (!file) return {"cannot read " + script.string()};
    std::vector<std::string> failures;
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        std::string error;
        auto line = tools::parseScriptLine(text, &error);
        const std::string where = "line " + std::to_string(number) + ": ";
        if (!line) {
            if (!error.empty()) failures.push_back(where + error);
            continue;
        }
        const control::CallResult result = device.callService(line->method, line->args);
        if (FAILED(result.hr) || result.number.value_or(-1) != 0) {
            std::ostringstream failure;
            failure << where << line->method << " answered " << result.number.value_or(-1)
                    << " (HRESULT 0x" << std::hex << static_cast<unsigned long>(result.hr) << ")";
            failures.push_back(failure.str());
        }
    }
    return failures;
}

}  // namespace pos::test
