#include "simulator_loop.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "control_command.h"
#include "platform/descriptor_io.h"
#include "platform/pseudo_terminal.h"
#include "platform/stop_signals.h"
#include "platform/unix_stream_listener.h"
#include "printer_protocol.h"

namespace pos::tools {

namespace {

namespace fs = std::filesystem;
using platform::FileDescriptor;
using platform::IoStatus;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMaxLine = 1024;
// Answers pile up only while nobody reads the port; beyond this they are dropped.
constexpr std::size_t kMaxUnsent = std::size_t{64} * 1024;

void say(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string hexLines(std::string_view tag, std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) text.append(i == 0 ? "" : "\n").append(tag);
        text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text + "\n";
}

// Cuts text into lines; an overlong line is reported once and skipped up to its end.
class LineSplitter {
  public:
    template <typename OnLine, typename OnOverlong>
    void feed(std::span<const std::uint8_t> bytes, OnLine onLine, OnOverlong onOverlong) {
        for (std::uint8_t byte : bytes) {
            if (byte == '\n') {
                if (!overlong_) onLine(std::string_view(partial_));
                partial_.clear();
                overlong_ = false;
            } else if (!overlong_ && partial_.size() == kMaxLine) {
                partial_.clear();
                overlong_ = true;
                onOverlong();
            } else if (!overlong_) {
                partial_ += static_cast<char>(byte);
            }
        }
    }

  private:
    std::string partial_;
    bool overlong_ = false;
};

class SymbolicLink {
  public:
    // Replaces a link left behind by an earlier run, but nothing else.
    SymbolicLink(fs::path link, fs::path target)
        : link_(std::move(link)), target_(std::move(target)) {
        const auto status = fs::symlink_status(link_);
        if (fs::is_symlink(status)) {
            fs::remove(link_);
        } else if (fs::exists(status)) {
            throw std::runtime_error("'" + link_.string() + "' exists and is not a symbolic link");
        }
        fs::create_symlink(target_, link_);
    }
    SymbolicLink(const SymbolicLink&) = delete;
    SymbolicLink& operator=(const SymbolicLink&) = delete;
    ~SymbolicLink() {
        std::error_code ignored;
        if (fs::read_symlink(link_, ignored) == target_) fs::remove(link_, ignored);
    }

  private:
    fs::path link_;
    fs::path target_;
};

struct Client {
    FileDescriptor socket;
    LineSplitter lines;
    std::string unsent;
    bool inputEnded = false;
    bool broken = false;
};

class Simulator {
  public:
    explicit Simulator(const SimulatorOptions& options);
    int run();

  private:
    void serveMaster();
    void sendToPeer(const Bytes& bytes);
    void flushToPeer();
    void serveStandardInput();
    void acceptClients();
    void serveClient(Client& client);
    static void flushClient(Client& client);
    // Runs one command line; returns the reply.
    std::string runCommand(std::string_view line);

    const bool quiet_;
    PrinterProtocol printer_;
    platform::StopSignals stopSignals_;
    platform::PseudoTerminal pty_;
    std::optional<SymbolicLink> link_;
    std::optional<platform::UnixStreamListener> listener_;
    std::ofstream capture_;
    std::vector<std::unique_ptr<Client>> clients_;
    LineSplitter standardInputLines_;
    bool standardInputOpen_ = true;
    Bytes unsentToPeer_;
    bool quit_ = false;
};

Simulator::Simulator(const SimulatorOptions& options) : quiet_(options.quiet) {
    printer_.setInitialAsbReport(options.initialAsbReport);
    if (!options.modelName.empty() && !printer_.setModelName(options.modelName)) {
        throw std::invalid_argument("the model name is longer than 255 bytes");
    }
    platform::setNonBlocking(pty_.masterFd());
    if (!options.linkPath.empty()) link_.emplace(options.linkPath, pty_.slavePath());
    if (!options.controlPath.empty()) listener_.emplace(options.controlPath);
    if (!options.capturePath.empty()) {
        capture_.open(options.capturePath, std::ios::binary | std::ios::app);
        if (!capture_) throw std::runtime_error("cannot open '" + options.capturePath + "'");
    }
}

int Simulator::run() {
    say("pty " + pty_.slavePath() + "\n");
    enum Slot : std::size_t { kSignals, kMaster, kListener, kStandardInput, kFirstClient };
    while (!quit_) {
        std::vector<platform::PollItem> items(kFirstClient);
        items[kSignals] = {stopSignals_.fd(), true};
        items[kMaster] = {pty_.masterFd(), true, !unsentToPeer_.empty()};
        items[kListener] = {listener_ ? listener_->fd() : -1, listener_.has_value()};
        items[kStandardInput] = {standardInputOpen_ ? platform::kStandardInput : -1,
                                 standardInputOpen_};
        for (const auto& client : clients_) {
            items.push_back({client->socket.get(), !client->inputEnded, !client->unsent.empty()});
        }
        if (platform::waitForDescriptors(items, std::nullopt) == 0) continue;

        if (items[kSignals].readable) {
            if (const int number = stopSignals_.takeSignal(); number != 0) {
                if (!quiet_) say("stopped by signal " + std::to_string(number) + "\n");
                break;
            }
        }
        if (items[kMaster].readable) serveMaster();
        if (items[kMaster].writable) flushToPeer();
        if (items[kStandardInput].readable) serveStandardInput();
        // Clients accepted now are polled from the next round on.
        const std::size_t polledClients = items.size() - kFirstClient;
        for (std::size_t i = 0; i < polledClients && !quit_; ++i) {
            Client& client = *clients_[i];
            if (items[kFirstClient + i].readable) serveClient(client);
            if (items[kFirstClient + i].writable || !client.unsent.empty()) flushClient(client);
        }
        if (items[kListener].readable) acceptClients();
        std::erase_if(clients_, [](const auto& c) {
            return c->broken || (c->inputEnded && c->unsent.empty());
        });
    }
    // Last replies and reports go out if the peers take them at once.
    flushToPeer();
    for (const auto& client : clients_) flushClient(*client);
    return 0;
}

void Simulator::serveMaster() {
    std::array<std::uint8_t, 4096> buffer;
    const platform::IoResult got = platform::readSome(pty_.masterFd(), buffer);
    if (got.status == IoStatus::WouldBlock) return;
    if (got.status != IoStatus::Done) {
        // Cannot happen while the slave side is held open; polling on would spin.
        throw std::runtime_error("the pseudo-terminal's master side failed");
    }
    const std::span<const std::uint8_t> bytes(buffer.data(), got.count);
    if (capture_.is_open()) {
        capture_.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        capture_.flush();
    }
    if (!quiet_) say(hexLines("rx", bytes));
    sendToPeer(printer_.receive(bytes));
}

void Simulator::sendToPeer(const Bytes& bytes) {
    if (bytes.empty()) return;
    if (!quiet_) say(hexLines("tx", bytes));
    if (unsentToPeer_.size() + bytes.size() > kMaxUnsent) {
        std::fprintf(stderr, "pos-printer-sim: nobody reads the port; %zu bytes dropped\n",
                     bytes.size());
        return;
    }
    unsentToPeer_.insert(unsentToPeer_.end(), bytes.begin(), bytes.end());
    flushToPeer();
}

void Simulator::flushToPeer() {
    while (!unsentToPeer_.empty()) {
        const platform::IoResult put = platform::writeSome(pty_.masterFd(), unsentToPeer_);
        if (put.status != IoStatus::Done) return;  // the rest when the master is writable again
        unsentToPeer_.erase(unsentToPeer_.begin(),
                            unsentToPeer_.begin() + static_cast<std::ptrdiff_t>(put.count));
    }
}

void Simulator::serveStandardInput() {
    std::array<std::uint8_t, 1024> buffer;
    const platform::IoResult got = platform::readSome(platform::kStandardInput, buffer);
    if (got.status == IoStatus::WouldBlock) return;
    if (got.status != IoStatus::Done) {
        // Without a console the socket and signals still drive the simulator.
        standardInputOpen_ = false;
        return;
    }
    standardInputLines_.feed(
        std::span(buffer.data(), got.count),
        [&](std::string_view line) {
            if (!quit_) say(runCommand(line));
        },
        [] { say("error: line longer than 1024 bytes\n"); });
}

void Simulator::acceptClients() {
    for (FileDescriptor socket = listener_->accept(); socket.valid();
         socket = listener_->accept()) {
        auto client = std::make_unique<Client>();
        client->socket = std::move(socket);
        clients_.push_back(std::move(client));
    }
}

void Simulator::serveClient(Client& client) {
    std::array<std::uint8_t, 1024> buffer;
    const platform::IoResult got = platform::readSome(client.socket.get(), buffer);
    if (got.status == IoStatus::WouldBlock) return;
    if (got.status != IoStatus::Done) {
        client.inputEnded = true;  // replies still go out if the client reads on
        client.broken = got.status == IoStatus::Failed;
        return;
    }
    client.lines.feed(
        std::span(buffer.data(), got.count),
        [&](std::string_view line) {
            if (!quit_) client.unsent += runCommand(line);
        },
        [&] { client.unsent += "error: line longer than 1024 bytes\n"; });
}

void Simulator::flushClient(Client& client) {
    while (!client.unsent.empty() && !client.broken) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(client.unsent.data());
        const platform::IoResult put =
            platform::writeSome(client.socket.get(), {data, client.unsent.size()});
        if (put.status == IoStatus::WouldBlock) return;
        if (put.status != IoStatus::Done) {
            client.broken = true;
            return;
        }
        client.unsent.erase(0, put.count);
    }
}

std::string Simulator::runCommand(std::string_view line) {
    CommandOutcome outcome = runControlCommand(printer_, line);
    sendToPeer(outcome.report);
    if (outcome.quit) quit_ = true;
    return std::move(outcome.reply);
}

}  // namespace

int runPrinterSimulator(const SimulatorOptions& options) {
    return Simulator(options).run();
}

}  // namespace pos::tools
