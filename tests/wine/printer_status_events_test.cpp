// Status events on Windows: the control object, the service object created through COM and the
// printer on a COM port the driver script maps to a pseudo-terminal. The script plays the
// printer: after the enabling switches automatic status back on it reports the cover open, then
// closed again. Each event is printed with its arrival time so the script can tell the latency.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>  // needs the types <windows.h> declares

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "opos_constants.h"
#include "platform/registry_store.h"
#include "pos_printer_control.h"

namespace {

using namespace pos::opos;

constexpr auto kPatience = std::chrono::seconds(10);

// Threads of this process right now; 0 when the snapshot cannot be taken.
std::size_t threadsOfThisProcess() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    const DWORD self = GetCurrentProcessId();
    std::size_t count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == self) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

long long unixMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The status values the handler received, and the threads they came on.
class ReceivedEvents {
  public:
    void add(std::int32_t status) {
        // The driver matches this line; the clock is the host's wall clock under Wine.
        std::printf("status event %d at %lld\n", static_cast<int>(status), unixMilliseconds());
        std::fflush(stdout);
        {
            std::lock_guard lock(mutex_);
            values_.push_back(status);
            threads_.push_back(std::this_thread::get_id());
        }
        arrived_.notify_all();
    }
    std::vector<std::int32_t> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, kPatience, [&] { return values_.size() >= count; });
        return values_;
    }
    std::vector<std::int32_t> values() {
        std::lock_guard lock(mutex_);
        return values_;
    }
    std::vector<std::thread::id> threads() {
        std::lock_guard lock(mutex_);
        return threads_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::int32_t> values_;
    std::vector<std::thread::id> threads_;
};

std::string traceText() {
    std::ifstream in("OPOSDebug.txt");  // the driver runs this program in a folder of its own
    std::stringstream lines;
    lines << in.rdbuf();
    return lines.str();
}

class StatusEventsOnComPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        initialized_ = true;
    }
    void TearDown() override {
        if (initialized_) CoUninitialize();
    }

  private:
    bool initialized_ = false;
};

TEST_F(StatusEventsOnComPort, CoverChangesArriveAndNoStatusThreadIsLeftBehind) {
    const std::size_t threadsBefore = threadsOfThisProcess();
    ASSERT_GT(threadsBefore, 0u);
    ReceivedEvents events;
    {
        pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
        printer.setStatusUpdateHandler([&](std::int32_t status) { events.add(status); });
        ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS) << printer.lastError();
        const std::size_t threadsOpen = threadsOfThisProcess();

        ASSERT_EQ(printer.SetDeviceEnabled(true), OPOS_SUCCESS);
        ASSERT_TRUE(printer.DeviceEnabled());
        EXPECT_EQ(threadsOfThisProcess(), threadsOpen + 1);  // the status thread alone
        EXPECT_EQ(events.waitFor(1), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN}));
        EXPECT_EQ(events.waitFor(2),
                  (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN, PTR_SUE_COVER_OK}));
        for (const std::thread::id thread : events.threads()) {
            EXPECT_NE(thread, std::this_thread::get_id()) << "events come from the status thread";
        }
        EXPECT_EQ(printer.SetDeviceEnabled(false), OPOS_SUCCESS);
        EXPECT_EQ(threadsOfThisProcess(), threadsOpen);

        for (int round = 0; round < 5; ++round) {
            ASSERT_EQ(printer.SetDeviceEnabled(true), OPOS_SUCCESS);
            EXPECT_EQ(threadsOfThisProcess(), threadsOpen + 1);
            ASSERT_EQ(printer.SetDeviceEnabled(false), OPOS_SUCCESS);
            EXPECT_EQ(threadsOfThisProcess(), threadsOpen);
        }
        EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
    }
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
    // Re-enabling reads the status afresh but reports no change: no further events.
    EXPECT_EQ(events.values(), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN, PTR_SUE_COVER_OK}));

    const std::string trace = traceText();
    EXPECT_NE(trace.find("ASB Cover Open     :1\n"), std::string::npos);
    EXPECT_NE(trace.find("Fire_StatusUpdateEvent:Fire event success!\n"), std::string::npos);
}

}  // namespace
