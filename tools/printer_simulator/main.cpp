// pos-printer-sim: behaves like the receipt printer on a pseudo-terminal, so that the service
// object, its tests and people can talk to a printer that is not there.
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "simulator_loop.h"

namespace {

constexpr const char* kUsage =
    "usage: pos-printer-sim [--link PATH] [--capture FILE] [--model TEXT] [--no-initial-asb]\n"
    "                       [--control PATH] [--quiet]\n"
    "Serves a printer on a pseudo-terminal; the first line out is \"pty SLAVE-PATH\".\n"
    "  --link PATH       symbolic link PATH to the slave side (an old link is replaced),\n"
    "                    removed on exit\n"
    "  --capture FILE    append every received byte to FILE\n"
    "  --model TEXT      model name in the identification reply (default TALVORIN KVX-9100)\n"
    "  --no-initial-asb  no status report when automatic status is switched on\n"
    "  --control PATH    Unix-domain socket taking the same commands as standard input\n"
    "  --quiet           no hex log of the traffic\n"
    "Commands, one per line: cover open|close, paper ok|near-end|end, drawer open|close,\n"
    "model TEXT, status, quit. Each answers \"ok\" or \"error: ...\".\n";

std::optional<pos::tools::SimulatorOptions> parse(int argc, char** argv) {
    pos::tools::SimulatorOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--no-initial-asb") {
            options.initialAsbReport = false;
            continue;
        }
        if (option == "--quiet") {
            options.quiet = true;
            continue;
        }
        std::string* value = option == "--link"      ? &options.linkPath
                             : option == "--capture" ? &options.capturePath
                             : option == "--model"   ? &options.modelName
                             : option == "--control" ? &options.controlPath
                                                     : nullptr;
        if (value == nullptr) {
            std::fprintf(stderr, "pos-printer-sim: unknown option '%s'\n", argv[i]);
            return std::nullopt;
        }
        if (i + 1 == argc || argv[i + 1][0] == '\0') {
            std::fprintf(stderr, "pos-printer-sim: %s needs a value\n", argv[i]);
            return std::nullopt;
        }
        *value = argv[++i];
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    const auto options = parse(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return pos::tools::runPrinterSimulator(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pos-printer-sim: %s\n", e.what());
        return 1;
    }
}
