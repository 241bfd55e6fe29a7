#pragma once
// pos-printer-sim as a child process capturing what it receives, with its control socket
// connected: what the end-to-end tests print to.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pos::testing {

class SimulatedPrinter {
  public:
    // Starts the simulator with its socket and capture file in folder; throws when it cannot.
    explicit SimulatedPrinter(const std::filesystem::path& folder);
    ~SimulatedPrinter();
    SimulatedPrinter(const SimulatedPrinter&) = delete;
    SimulatedPrinter& operator=(const SimulatedPrinter&) = delete;

    const std::string& slavePath() const { return slave_; }

    // One command; its reply lines up to "ok" or "error: ...".
    std::string command(const std::string& line);
    // Every byte the printer has received so far.
    std::vector<std::uint8_t> captured() const;
    // Everything the printer received once the writer has closed the port. Each status reply
    // comes after the simulator has read what was waiting on its side of the terminal, so when
    // the count stops growing, nothing is left there.
    std::vector<std::uint8_t> receivedAfterClose();

  private:
    long receivedCount();

    pid_t pid_ = -1;
    int output_ = -1;
    int control_ = -1;
    std::string slave_;
    std::filesystem::path capture_;
};

}  // namespace pos::testing
