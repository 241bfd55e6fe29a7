// Status monitoring end to end on Linux: the component library through the control object,
// against the printer simulator on its pseudo-terminal, driven through its control socket.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "installed_printer.h"
#include "opos_constants.h"
#include "platform/sqlite_registry.h"
#include "pos_printer_control.h"
#include "simulated_printer.h"

namespace {

namespace fs = std::filesystem;
using pos::testing::SimulatedPrinter;
using namespace pos::opos;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(10);

// The status values the application's handler received, from whichever thread.
class ReceivedEvents {
  public:
    void add(std::int32_t status) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(status);
        }
        arrived_.notify_all();
    }
    std::vector<std::int32_t> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, kPatience, [&] { return values_.size() >= count; });
        return values_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::int32_t> values_;
};

std::size_t entriesIn(const char* folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

class StatusOverSimulator : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kvxso_status_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        registry = (dir / "registry.db").string();
        ::setenv("OPOS_REGISTRY", registry.c_str(), 1);
        previousDir = fs::current_path();
        fs::current_path(dir);  // trace files land in the host's current folder
        printer = std::make_unique<SimulatedPrinter>(dir);
        ASSERT_EQ(pos::testing::callComponentExport("DllRegisterServer"), S_OK);
        pos::testing::writeSerialPrinterEntry(*pos::platform::openSqliteRegistry(registry, nullptr),
                                              printer->slavePath(), 0x10);
    }
    void TearDown() override {
        printer.reset();
        fs::current_path(previousDir);
        fs::remove_all(dir);
        ::unsetenv("OPOS_REGISTRY");
    }
    std::string trace() {
        std::ifstream in(dir / "OPOSDebug.txt");
        std::stringstream lines;
        lines << in.rdbuf();
        return lines.str();
    }

    fs::path dir;
    fs::path previousDir;
    std::string registry;
    std::unique_ptr<SimulatedPrinter> printer;
};

TEST_F(StatusOverSimulator, CoverChangesReachTheApplicationAsEvents) {
    ReceivedEvents events;
    pos::control::PosPrinterControl control([] { return pos::platform::openSystemRegistry(); });
    control.setStatusUpdateHandler([&](std::int32_t status) { events.add(status); });
    ASSERT_EQ(control.Open("ReceiptPrinter"), OPOS_SUCCESS) << control.lastError();
    ASSERT_EQ(control.SetDeviceEnabled(true), OPOS_SUCCESS);
    // Off and on again: only the enabling switches automatic status back on in the printer.
    ASSERT_EQ(control.SetDeviceEnabled(false), OPOS_SUCCESS);
    ASSERT_EQ(control.SetDeviceEnabled(true), OPOS_SUCCESS);

    EXPECT_EQ(printer->command("cover open"), "ok");
    EXPECT_EQ(events.waitFor(1), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN}));
    EXPECT_NE(printer->command("status").find("automatic status on"), std::string::npos);
    EXPECT_EQ(printer->command("cover close"), "ok");
    EXPECT_EQ(events.waitFor(2), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN, PTR_SUE_COVER_OK}));

    const Bytes request{0x10, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x04, 0x03, 0x10, 0x04, 0x04};
    Bytes expected{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F};  // OpenService's start commands
    expected.insert(expected.end(), request.begin(), request.end());
    expected.insert(expected.end(), {0x1D, 0x61, 0x0F, 0x1D, 0x61, 0x00});
    expected.insert(expected.end(), request.begin(), request.end());
    expected.insert(expected.end(), {0x1D, 0x61, 0x0F});
    EXPECT_EQ(printer->captured(), expected);

    EXPECT_EQ(control.SetDeviceEnabled(false), OPOS_SUCCESS);
    EXPECT_EQ(control.Close(), OPOS_SUCCESS);
    const std::string lines = trace();
    EXPECT_NE(lines.find("ASB Cover Open     :1\n"), std::string::npos);
    EXPECT_NE(lines.find("Fire_StatusUpdateEvent:Fire event success!\n"), std::string::npos);
}

TEST_F(StatusOverSimulator, RepeatedEnablingLeavesNoThreadOrDescriptorBehind) {
    const std::size_t threads = entriesIn("/proc/self/task");
    const std::size_t descriptors = entriesIn("/proc/self/fd");
    pos::control::PosPrinterControl control([] { return pos::platform::openSystemRegistry(); });
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(control.Open("ReceiptPrinter"), OPOS_SUCCESS) << control.lastError();
        const std::size_t openThreads = entriesIn("/proc/self/task");
        const std::size_t openDescriptors = entriesIn("/proc/self/fd");
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(control.SetDeviceEnabled(true), OPOS_SUCCESS);
            EXPECT_EQ(entriesIn("/proc/self/task"), openThreads + 1);  // the status thread
            ASSERT_EQ(control.SetDeviceEnabled(false), OPOS_SUCCESS);
        }
        EXPECT_EQ(entriesIn("/proc/self/task"), openThreads);
        EXPECT_EQ(entriesIn("/proc/self/fd"), openDescriptors);
        // Left enabled: closing ends the thread.
        ASSERT_EQ(control.SetDeviceEnabled(true), OPOS_SUCCESS);
        EXPECT_EQ(control.Close(), OPOS_SUCCESS);
    }
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
    EXPECT_EQ(entriesIn("/proc/self/fd"), descriptors);
}

}  // namespace
