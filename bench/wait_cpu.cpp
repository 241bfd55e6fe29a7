// CPU used while the printer waits: the claim wait (ClaimDevice's WaitPumping) and a status
// thread waiting for received data that does not come, each against a spinning wait.
// A measurement, printed for people; it asserts nothing.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "com_port.h"
#include "platform/message_pump.h"
#include "platform/pseudo_terminal.h"
#include "platform/serial_port.h"
#include "trace_log.h"
#include "wait_pumping.h"

namespace {

struct Sample {
    double wallSeconds;
    double cpuSeconds;
};

Sample measure(const std::function<void()>& work) {
    const auto wall0 = std::chrono::steady_clock::now();
    const std::clock_t cpu0 = std::clock();
    work();
    const std::clock_t cpu1 = std::clock();
    const auto wall1 = std::chrono::steady_clock::now();
    return {std::chrono::duration<double>(wall1 - wall0).count(),
            static_cast<double>(cpu1 - cpu0) / CLOCKS_PER_SEC};
}

void report(const char* what, const Sample& s) {
    std::printf("%-46s wall %6.2f s  cpu %7.4f s  = %6.2f %% of one core\n", what, s.wallSeconds,
                s.cpuSeconds, 100.0 * s.cpuSeconds / s.wallSeconds);
}

// The original wait: read the tick and dispatch until the end passes, never blocking.
void spinningWait(pos::platform::MessagePump& pump, std::uint32_t ms) {
    const std::uint32_t end = pump.tickCount() + ms;
    std::uint32_t now = 0;
    do {
        now = pump.tickCount();
        pump.dispatchPending();
    } while (now <= end);
}

}  // namespace

int main(int argc, char** argv) {
    const int receiveSeconds = argc > 1 ? std::stoi(argv[1]) : 10;
    auto pump = pos::platform::createMessagePump();

    report("ClaimDevice(1000) wait, blocking", measure([&] { pos::WaitPumping(*pump, 1000); }));
    report("ClaimDevice(1000) wait, spinning", measure([&] { spinningWait(*pump, 1000); }));

    pos::platform::PseudoTerminal pty;
    pos::TraceLog trace;
    pos::ComPort port(pos::platform::createSerialPort(), trace, {});
    if (!port.Open(pty.slavePath())) {
        std::fprintf(stderr, "cannot open %s\n", pty.slavePath().c_str());
        return 1;
    }
    port.ComInitRXEvent();
    const auto until = [&] {
        return std::chrono::steady_clock::now() + std::chrono::seconds(receiveSeconds);
    };
    const std::string label =
        "status thread idle " + std::to_string(receiveSeconds) + " s, blocking";
    report(label.c_str(), measure([&] {
               const auto end = until();
               while (std::chrono::steady_clock::now() < end) port.ComWaitRXEvent();
           }));
    port.ComCloseRXEvent();
    port.Close();

    // The original loop asks the port again at once, every pass.
    auto raw = pos::platform::createSerialPort();
    raw->open(pty.slavePath());
    raw->initReceiveEvent();
    const std::string spinLabel =
        "status thread idle " + std::to_string(receiveSeconds) + " s, spinning";
    report(spinLabel.c_str(), measure([&] {
               const auto end = until();
               while (std::chrono::steady_clock::now() < end)
                   raw->waitReceiveEvent(std::chrono::milliseconds(0));
           }));
    raw->closeReceiveEvent();
    raw->close();
    return 0;
}
