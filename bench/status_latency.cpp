// Status monitoring as an application feels it: the time from the printer writing an automatic
// status report to the control object's status-update handler running, and the CPU that an
// enabled printer with nothing to report uses. The real component library, through the control
// object, against the simulator's protocol engine on a pseudo-terminal. A measurement, printed
// for people; it asserts nothing.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "installed_printer.h"
#include "opos_constants.h"
#include "platform/descriptor_io.h"
#include "platform/pseudo_terminal.h"
#include "platform/registry_store.h"
#include "platform/serial_port.h"
#include "pos_printer_control.h"
#include "printer_protocol.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kSamples = 100;
constexpr auto kEventPatience = std::chrono::seconds(5);

// The printer's end of the line: answers what the service object sends, on its own thread.
class ServedPrinter {
  public:
    ServedPrinter() : thread_([this] { serve(); }) {}
    ~ServedPrinter() {
        stop_ = true;
        // A byte on the line wakes the serving thread to see the flag.
        auto port = pos::platform::createSerialPort();
        const std::uint8_t wake = 0;
        if (port->open(pty_.slavePath())) port->write(std::span(&wake, 1));
        thread_.join();
        port->close();
    }
    ServedPrinter(const ServedPrinter&) = delete;
    ServedPrinter& operator=(const ServedPrinter&) = delete;

    const std::string& slavePath() const { return pty_.slavePath(); }

    // Changes the cover and writes the report it causes; the moment of the write.
    Clock::time_point setCoverOpen(bool open) {
        std::lock_guard lock(mutex_);
        const Bytes report = protocol_.setCoverOpen(open);
        const auto written = Clock::now();
        send(report);
        return written;
    }

  private:
    void serve() {
        std::array<std::uint8_t, 512> buffer;
        while (!stop_) {
            pos::platform::PollItem master{pty_.masterFd(), true};
            if (pos::platform::waitForDescriptors(std::span(&master, 1), std::nullopt) == 0)
                continue;
            const auto got = pos::platform::readSome(pty_.masterFd(), buffer);
            if (got.status != pos::platform::IoStatus::Done) continue;
            std::lock_guard lock(mutex_);
            send(protocol_.receive(std::span(buffer.data(), got.count)));
        }
    }
    void send(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const auto put =
                pos::platform::writeSome(pty_.masterFd(), std::span(bytes).subspan(done));
            if (put.status != pos::platform::IoStatus::Done) return;
            done += put.count;
        }
    }

    pos::platform::PseudoTerminal pty_;
    std::mutex mutex_;
    pos::tools::PrinterProtocol protocol_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class EventClock {
  public:
    void arrived() {
        {
            std::lock_guard lock(mutex_);
            at_ = Clock::now();
            ++count_;
        }
        changed_.notify_all();
    }
    // When event number n (from 1) arrived; nothing when it did not come in time.
    std::optional<Clock::time_point> waitFor(int n) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kEventPatience, [&] { return count_ >= n; }))
            return std::nullopt;
        return at_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Clock::time_point at_;
    int count_ = 0;
};

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int measure() {
    ServedPrinter printer;
    auto store = pos::platform::openSystemRegistry();
    if (!store || pos::testing::callComponentExport("DllRegisterServer") != S_OK) {
        std::fprintf(stderr, "cannot register %s\n", KVXSO_PATH);
        return 1;
    }
    // No trace files: what an installation runs with.
    pos::testing::writeSerialPrinterEntry(*store, printer.slavePath(), 0);
    store.reset();

    EventClock events;
    pos::control::PosPrinterControl control([] { return pos::platform::openSystemRegistry(); });
    control.setStatusUpdateHandler([&](std::int32_t) { events.arrived(); });
    if (control.Open("ReceiptPrinter") != pos::opos::OPOS_SUCCESS) {
        std::fprintf(stderr, "Open failed: %s\n", control.lastError().c_str());
        return 1;
    }
    control.SetDeviceEnabled(true);

    std::vector<double> latencies;
    for (int i = 1; i <= kSamples; ++i) {
        const auto written = printer.setCoverOpen(i % 2 == 1);
        const auto fired = events.waitFor(i);
        if (!fired) {
            std::fprintf(stderr, "report %d brought no event\n", i);
            return 1;
        }
        latencies.push_back(milliseconds(*fired - written));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "report written -> handler ran, %d reports: median %.1f ms, worst %.1f ms (best %.1f ms)\n",
        kSamples, (latencies[kSamples / 2 - 1] + latencies[kSamples / 2]) / 2, latencies.back(),
        latencies.front());

    constexpr int kIdleSeconds = 10;
    const auto wall0 = Clock::now();
    const std::clock_t cpu0 = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const std::clock_t cpu1 = std::clock();
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = static_cast<double>(cpu1 - cpu0) / CLOCKS_PER_SEC;
    std::printf("enabled and idle for %.1f s: cpu %.4f s = %.3f %% of one core (whole process)\n",
                wall, cpu, 100.0 * cpu / wall);

    control.SetDeviceEnabled(false);
    control.Close();
    return 0;
}

}  // namespace

int main() {
    std::random_device random;
    const fs::path dir = fs::temp_directory_path() / ("kvxso-bench-" + std::to_string(random()));
    fs::create_directories(dir);
    ::setenv("OPOS_REGISTRY", (dir / "registry.db").c_str(), 1);
    const int result = measure();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return result;
}
