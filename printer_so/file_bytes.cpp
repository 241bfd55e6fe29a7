#include "file_bytes.h"

#include <cstdio>
#include <memory>

namespace pos::printer {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

FileBytes readFileBytes(const std::string& path, std::size_t maxBytes) {
    FileBytes result;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return result;
    // Read in pieces rather than trusting a size asked beforehand: the file may be a pipe, a
    // directory or growing.
    std::uint8_t piece[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(piece, 1, sizeof piece, file.get());
        if (got > maxBytes - result.bytes.size()) {
            result.status = FileBytes::Status::TooLarge;
            result.bytes.clear();
            return result;
        }
        result.bytes.insert(result.bytes.end(), piece, piece + got);
        if (got < sizeof piece) break;
    }
    if (std::ferror(file.get())) {
        result.status = FileBytes::Status::ReadError;
        result.bytes.clear();
        return result;
    }
    result.status = FileBytes::Status::Read;
    return result;
}

bool writeFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return false;
    }
    return std::fclose(file.release()) == 0;
}

}  // namespace pos::printer
