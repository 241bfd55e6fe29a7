#include "simulated_printer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace pos::testing {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

// One line from fd without its newline; what came before the patience ran out otherwise.
std::string readLine(int fd) {
    std::string line;
    const auto deadline = Clock::now() + kPatience;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return line;
        char c = 0;
        if (::read(fd, &c, 1) != 1 || c == '\n') return line;
        line += c;
    }
}
}  // namespace

SimulatedPrinter::SimulatedPrinter(const std::filesystem::path& folder)
    : capture_(folder / "received.bin") {
    const std::filesystem::path socketPath = folder / "control";
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    output_ = out[0];
    std::vector<std::string> words{POS_PRINTER_SIM,     "--quiet",   "--control",
                                   socketPath.string(), "--capture", capture_.string()};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const int error =
        ::posix_spawn(&pid_, POS_PRINTER_SIM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (error != 0)
        throw std::runtime_error(std::string("cannot start the simulator: ") +
                                 std::strerror(error));
    const std::string first = readLine(output_);  // "pty /dev/pts/N", once the socket listens
    if (!first.starts_with("pty ")) throw std::runtime_error("the simulator said: " + first);
    slave_ = first.substr(4);
    control_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(control_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot reach the control socket");
    }
}

SimulatedPrinter::~SimulatedPrinter() {
    ::close(control_);
    ::close(output_);
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

std::string SimulatedPrinter::command(const std::string& line) {
    const std::string text = line + "\n";
    if (::send(control_, text.data(), text.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(text.size())) {
        return "send failed";
    }
    std::string reply;
    for (std::string got = readLine(control_);; got = readLine(control_)) {
        reply += got;
        if (got.empty() || got == "ok" || got.starts_with("error:")) return reply;
        reply += '\n';
    }
}

std::vector<std::uint8_t> SimulatedPrinter::captured() const {
    std::ifstream in(capture_, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// "...; received N bytes, ..." from the status command; -1 when there is no answer.
long SimulatedPrinter::receivedCount() {
    const std::string state = command("status");
    const std::size_t at = state.find("received ");
    return at == std::string::npos || !state.ends_with("ok") ? -1 : std::stol(state.substr(at + 9));
}

std::vector<std::uint8_t> SimulatedPrinter::receivedAfterClose() {
    long before = -1;
    for (long count = receivedCount(); count != before && count >= 0; count = receivedCount())
        before = count;
    return captured();
}

}  // namespace pos::testing
