// pos-receipt-view: shows what the receipt printer makes of a capture of the bytes it
// received, as text (UTF-8) for a terminal.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "receipt_renderer.h"

namespace {

// Captures are a receipt or a few; anything this large is not one.
constexpr std::streamoff kMaxCaptureBytes = 256 << 20;

constexpr const char* kUsage =
    "usage: pos-receipt-view [--columns N] [--ansi] FILE\n"
    "Shows the printer's byte stream in FILE as the receipt it prints.\n"
    "  --columns N  characters across the paper (48 for 80 mm, 32 for 58 mm; default 48)\n"
    "  --ansi       bold, underline and reverse as terminal attributes\n"
    "Wide text is spaced out, tall text is ^^marked^^, bold **marked**, underlined __marked__,\n"
    "reversed [[marked]]; bytes the printer would not understand show as <hex>. The text is\n"
    "UTF-8 (block characters draw barcodes and pictures).\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    pos::receipt::RenderOptions options;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--ansi") {
            options.ansi = true;
        } else if (arg == "--columns" && i + 1 < argc) {
            char* end = nullptr;
            const long columns = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || columns < pos::receipt::kMinColumns ||
                columns > pos::receipt::kMaxColumns) {
                std::fprintf(stderr, "pos-receipt-view: --columns takes %d to %d\n",
                             pos::receipt::kMinColumns, pos::receipt::kMaxColumns);
                return 2;
            }
            options.columns = static_cast<int>(columns);
        } else if (arg.starts_with("-") || !path.empty()) {
            return usage();
        } else {
            path = arg;
        }
    }
    if (path.empty()) return usage();

    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        std::fprintf(stderr, "pos-receipt-view: cannot read %s\n", path.c_str());
        return 1;
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxCaptureBytes) {
        std::fprintf(stderr, "pos-receipt-view: %s is not a receipt capture (too large)\n",
                     path.c_str());
        return 1;
    }
    file.seekg(0);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    const std::string text = pos::receipt::renderReceipt(bytes, options);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
