// Runs the pos-printer-sim program and talks to it the way the service object and a person do:
// through its pseudo-terminal and its control socket.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kPatience{10000};

class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() /
                    ("printer-sim-test-" + std::to_string(random()) + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    fs::path operator/(const char* name) const { return path_ / name; }

  private:
    fs::path path_;
};

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// Milliseconds left until deadline, for poll().
int leftUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Up to n bytes: fewer when the peer stays silent until the deadline or closes.
Bytes readBytes(int fd, std::size_t n) {
    const auto deadline = Clock::now() + kPatience;
    Bytes got;
    while (got.size() < n) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, leftUntil(deadline)) <= 0) break;
        std::uint8_t buffer[256];
        const ssize_t count = ::read(fd, buffer, std::min(sizeof buffer, n - got.size()));
        if (count <= 0) break;
        got.insert(got.end(), buffer, buffer + count);
    }
    return got;
}

// One line without its newline; what arrived so far when the deadline passes.
std::string readLine(int fd) {
    std::string line;
    for (Bytes b = readBytes(fd, 1); !b.empty() && b[0] != '\n'; b = readBytes(fd, 1))
        line += static_cast<char>(b[0]);
    return line;
}

void writeAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(n, 0) << std::strerror(errno);
        done += static_cast<std::size_t>(n);
    }
}

// Opens the port as a serial-port user does: no controlling terminal, raw line.
Descriptor openPort(const fs::path& path) {
    Descriptor port(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (port.get() < 0) {
        ADD_FAILURE() << "cannot open " << path << ": " << std::strerror(errno);
        return port;
    }
    termios settings{};
    EXPECT_EQ(::tcgetattr(port.get(), &settings), 0);
    ::cfmakeraw(&settings);
    EXPECT_EQ(::tcsetattr(port.get(), TCSANOW, &settings), 0);
    return port;
}

Descriptor connectControl(const fs::path& path) {
    Descriptor s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(::connect(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0)
        << std::strerror(errno);
    return s;
}

// Sends one command; returns the reply lines up to and including "ok" or "error: ...".
std::string command(int control, const std::string& line) {
    const std::string text = line + "\n";
    // No SIGPIPE when the simulator has gone: the missing reply reports it.
    if (::send(control, text.data(), text.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(text.size())) {
        return "send failed: " + std::string(std::strerror(errno));
    }
    std::string reply;
    for (std::string got = readLine(control);; got = readLine(control)) {
        reply += got;
        if (got.empty() || got == "ok" || got.starts_with("error:")) return reply;
        reply += '\n';
    }
}

Bytes fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool present(const fs::path& path) {
    return fs::exists(fs::symlink_status(path));
}

// The simulator as a child process: standard input from /dev/null, standard output to a pipe.
class Simulator {
  public:
    explicit Simulator(const std::vector<std::string>& options) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
        output_ = Descriptor(out[0]);
        const Descriptor writeEnd(out[1]);

        std::vector<std::string> words{POS_PRINTER_SIM};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
        const int error =
            ::posix_spawn(&pid_, POS_PRINTER_SIM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            throw std::runtime_error(std::string("cannot start the simulator: ") +
                                     std::strerror(error));
    }
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The slave path from the first line, or what the line said instead.
    std::string slavePath() {
        const std::string line = readLine(output_.get());
        EXPECT_TRUE(line.starts_with("pty /dev/pts/")) << line;
        return line.substr(std::min<std::size_t>(4, line.size()));
    }
    std::string outputLine() { return readLine(output_.get()); }

    void signal(int number) { ASSERT_EQ(::kill(pid_, number), 0); }

    // Exit status once the program closed its output; -1 when it is still running after the
    // patience runs out.
    int exitStatus() {
        while (readBytes(output_.get(), 4096).size() == 4096) {
        }
        pollfd ended{output_.get(), POLLIN, 0};
        if (::poll(&ended, 1, 0) != 1 || ::read(output_.get(), &ended, 1) != 0) return -1;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    Descriptor output_;
    pid_t pid_ = -1;
};

TEST(PrinterSimulator, AnswersOnThePortAndTakesCommandsFromTheSocket) {
    TempFolder folder;
    const fs::path link = folder / "com5";
    const fs::path control = folder / "control";
    const fs::path capture = folder / "capture.bin";
    Simulator simulator({"--quiet", "--link", link, "--control", control, "--capture", capture});
    const std::string slave = simulator.slavePath();
    EXPECT_EQ(fs::read_symlink(link), slave);

    const Descriptor port = openPort(link);
    Bytes sent;
    const auto send = [&](const Bytes& bytes) {
        writeAll(port.get(), bytes);
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    };
    send({0x1D, 0x28, 0x51});
    EXPECT_EQ(readBytes(port.get(), 18),
              (Bytes{0x11, 0x54, 0x41, 0x4C, 0x56, 0x4F, 0x52, 0x49, 0x4E, 0x20, 0x4B, 0x56, 0x58,
                     0x2D, 0x39, 0x31, 0x30, 0x30}));
    send({0x10, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x04, 0x03, 0x10, 0x04, 0x04});
    EXPECT_EQ(readBytes(port.get(), 4), (Bytes{0x12, 0x12, 0x12, 0x12}));
    send({0x1D, 0x61, 0x0F});
    EXPECT_EQ(readBytes(port.get(), 4), (Bytes{0x10, 0x00, 0x00, 0x00}));

    {
        const Descriptor first = connectControl(control);
        EXPECT_EQ(command(first.get(), "cover open"), "ok");
        EXPECT_EQ(readBytes(port.get(), 4), (Bytes{0x38, 0x00, 0x00, 0x00}));
        EXPECT_EQ(command(first.get(), "cover sideways"), "error: cover takes open or close");
    }
    send({0x10, 0x04, 0x01, 0x10, 0x04, 0x02});
    EXPECT_EQ(readBytes(port.get(), 2), (Bytes{0x1A, 0x16}));

    const Descriptor second = connectControl(control);
    EXPECT_EQ(command(second.get(), "paper end"), "ok");
    EXPECT_EQ(readBytes(port.get(), 4), (Bytes{0x38, 0x00, 0x0C, 0x00}));
    const std::string status = command(second.get(), "status");
    EXPECT_NE(status.find("cover open, paper end, drawer closed, off line, automatic status on"),
              std::string::npos)
        << status;
    EXPECT_NE(
        status.find("received 24 bytes, identifications 1, status requests 6, status reports 3"),
        std::string::npos)
        << status;
    EXPECT_EQ(command(second.get(), "quit"), "ok");

    EXPECT_EQ(simulator.exitStatus(), 0);
    EXPECT_EQ(fileBytes(capture),
              (Bytes{0x1D, 0x28, 0x51, 0x10, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x04, 0x03,
                     0x10, 0x04, 0x04, 0x1D, 0x61, 0x0F, 0x10, 0x04, 0x01, 0x10, 0x04, 0x02}));
    EXPECT_EQ(sent, fileBytes(capture));
    EXPECT_FALSE(present(link));
    EXPECT_FALSE(present(control));
}

TEST(PrinterSimulator, PortCanBeClosedAndReopened) {
    TempFolder folder;
    const fs::path control = folder / "control";
    Simulator simulator(
        {"--quiet", "--model", "TALVORIN QM710", "--no-initial-asb", "--control", control});
    const std::string slave = simulator.slavePath();
    const Descriptor console = connectControl(control);
    const Bytes identity{0x0E, 0x54, 0x41, 0x4C, 0x56, 0x4F, 0x52, 0x49,
                         0x4E, 0x20, 0x51, 0x4D, 0x37, 0x31, 0x30};
    for (int round = 0; round < 3; ++round) {
        {
            const Descriptor port = openPort(slave);
            writeAll(port.get(), {0x1D, 0x28, 0x51});
            EXPECT_EQ(readBytes(port.get(), identity.size()), identity) << "round " << round;
            // Without the initial report, the request's answer is the next byte to arrive.
            writeAll(port.get(), {0x1D, 0x61, 0x0F, 0x10, 0x04, 0x02});
            EXPECT_EQ(readBytes(port.get(), 1), (Bytes{0x12})) << "round " << round;
        }
        // The reply shows the simulator went round its loop while the port was closed.
        ASSERT_TRUE(command(console.get(), "status").ends_with("\nok")) << "round " << round;
    }
}

TEST(PrinterSimulator, StopSignalsEndItAndRemoveTheLinkAndSocket) {
    for (const int number : {SIGTERM, SIGINT}) {
        TempFolder folder;
        const fs::path link = folder / "printer";
        const fs::path control = folder / "control";
        Simulator simulator({"--link", link, "--control", control});
        const std::string slave = simulator.slavePath();
        ASSERT_EQ(fs::read_symlink(link), slave);
        {
            const Descriptor port = openPort(link);
            writeAll(port.get(), {0x1D, 0x28, 0x51});
            EXPECT_EQ(simulator.outputLine(), "rx 1D 28 51");
            EXPECT_EQ(simulator.outputLine(), "tx 11 54 41 4C 56 4F 52 49 4E 20 4B 56 58 2D 39 31");
            EXPECT_EQ(simulator.outputLine(), "tx 30 30");
        }
        simulator.signal(number);
        EXPECT_EQ(simulator.exitStatus(), 0) << "signal " << number;
        EXPECT_FALSE(present(link)) << "signal " << number;
        EXPECT_FALSE(present(control)) << "signal " << number;
    }
}

TEST(PrinterSimulator, RefusesBadOptionsAndLeavesOtherFilesAlone) {
    TempFolder folder;
    const fs::path taken = folder / "taken";
    std::ofstream(taken) << "not a link";
    struct Case {
        std::vector<std::string> options;
        int status;
    };
    const Case cases[] = {
        {{"--bogus"}, 2},       {{"--link"}, 2},           {{"--model", std::string(256, 'X')}, 1},
        {{"--link", taken}, 1}, {{"--control", taken}, 1},
    };
    for (const Case& c : cases) {
        Simulator simulator(c.options);
        EXPECT_EQ(simulator.exitStatus(), c.status) << c.options.front();
    }
    EXPECT_EQ(fileBytes(taken), (Bytes{'n', 'o', 't', ' ', 'a', ' ', 'l', 'i', 'n', 'k'}));
}

}  // namespace
