#pragma once
// The simulator program: a printer on a pseudo-terminal, driven by text commands.
#include <string>

namespace pos::tools {

struct SimulatorOptions {
    std::string linkPath;     // symbolic link to the slave side, removed on exit
    std::string capturePath;  // every received byte is appended here
    std::string controlPath;  // Unix-domain socket taking text commands
    std::string modelName;    // empty: the default
    bool initialAsbReport = true;
    bool quiet = false;  // no hex log of the traffic
};

// Serves the printer until "quit" or SIGINT/SIGTERM; returns the exit code. Throws when the
// pseudo-terminal, link, socket or capture file cannot be set up.
int runPrinterSimulator(const SimulatorOptions& options);

}  // namespace pos::tools
