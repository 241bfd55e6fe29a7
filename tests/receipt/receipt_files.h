#pragma once
// The receipt the end-to-end tests print, from the files in tests/data that the demo uses too:
// the script of calls, the picture it prints and the bytes the printer should receive.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "control_object.h"

namespace pos::test {

using Bytes = std::vector<std::uint8_t>;

// Hexadecimal byte pairs separated by white space; '#' starts a comment that runs to the end
// of its line. Throws std::runtime_error for an unreadable file or anything else in it.
Bytes readHexFile(const std::filesystem::path& path);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);

// Calls each line of a pos-console script on the open device, in order. One text per call
// that failed or answered anything but OPOS_SUCCESS, naming its line; empty when all did.
std::vector<std::string> runScript(control::ControlObject& device,
                                   const std::filesystem::path& script);

}  // namespace pos::test
