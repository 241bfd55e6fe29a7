#pragma once
// POSIX only. A pseudo-terminal whose master side this program keeps; a peer opens the slave
// path as if it were a serial port and gets a raw line.
#include <string>

#include "platform/descriptor_io.h"

namespace pos::platform {

class PseudoTerminal {
  public:
    // Throws std::system_error when no pseudo-terminal can be had.
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }

  private:
    FileDescriptor master_;
    // Held open for the master's whole life: when the last slave descriptor closes, the master
    // reports a hang-up, and a peer that closes and reopens the port must not cause that.
    FileDescriptor slave_;
    std::string slavePath_;
};

}  // namespace pos::platform
