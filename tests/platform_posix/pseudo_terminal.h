#pragma once
// A pseudo-terminal pair standing in for a serial line: the port under test opens the slave by
// path, the test plays the device on the master.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pos::platform::testing {

class PseudoTerminal {
  public:
    // keepSlaveOpen: the test holds its own slave descriptor, so the master stays usable
    // whether or not the port has the slave open, and tcgetattr can look at the line.
    explicit PseudoTerminal(bool keepSlaveOpen = true) {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        slavePath_ = name;
        if (!keepSlaveOpen) {
            ::close(slave_);
            slave_ = -1;
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() {
        if (slave_ >= 0) ::close(slave_);
        ::close(master_);
    }

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

    // Sends bytes toward the port, as the device would.
    void send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("write to pty master failed");
            done += static_cast<std::size_t>(n);
        }
    }

    // Collects what the port sent until count bytes arrived or nothing came for idleLimit.
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds idleLimit) const {
        std::vector<std::uint8_t> bytes(count);
        std::size_t got = 0;
        while (got < count) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(idleLimit.count())) <= 0 ||
                (fd.revents & POLLIN) == 0) {
                break;
            }
            const ssize_t n = ::read(master_, bytes.data() + got, count - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace pos::platform::testing
