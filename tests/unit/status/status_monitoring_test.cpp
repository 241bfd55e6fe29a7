// Status monitoring through the service: the status request on enabling, the status thread
// and its events, and the thread's end on disabling, on a new OpenService and on unload.
#include <gtest/gtest.h>

#include <thread>

#include "component/module_lock.h"
#include "opos_constants.h"
#include "status/status_fixture.h"

namespace {

using namespace pos::opos;
using pos::printer::StatusFlags;
using pos::testing::Bytes;
using pos::testing::kAsbOff;
using pos::testing::kAsbOn;
using pos::testing::kStatusRequest;
using Monitoring = pos::testing::StatusFixture;

const Bytes kOpenCommands{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F};

std::vector<Bytes> writesAfterOpen(std::vector<Bytes> writes) {
    writes.erase(writes.begin());
    return writes;
}

TEST_F(Monitoring, EnablingAsksForTheStatusThenStartsTheThreadAndAutomaticStatus) {
    line.answer(kStatusRequest, {0x08, 0x0C, 0x48, 0x6C});
    openSerial(&target);
    ASSERT_EQ(line.writes().front(), kOpenCommands);
    const std::size_t mark = traceLines().size();
    enable(true);
    EXPECT_EQ(writesAfterOpen(line.writes()), (std::vector<Bytes>{kStatusRequest, kAsbOn}));
    EXPECT_EQ(current(), (StatusFlags{0, 0, 1, 1, 1, 0, 1, 1, 1}));
    EXPECT_EQ(service->state().Settings.StatusRequest, 4);
    EXPECT_EQ(service->state().Settings.AsbEnabled, 1);
    EXPECT_EQ(line.receiveEventsOpen(), 1);
    EXPECT_EQ(traceFrom(mark),
              "SetPropertyNumber:0x3\n:PIDXDisp_DeviceEnabled:0x1\n"
              "ASBStart:Start Auto status Back\nASBStart:Initial ASB from DEL EOT\n"
              "StatusReport:Into StatusReport\n"
              "DLE Buffer[0]:0x8\nDLE Buffer[1]:0xc\nDLE Buffer[2]:0x48\nDLE Buffer[3]:0x6c\n"
              "DLE Set ID:0\nDLE Byte[0]:00001000\nDLE Byte[1]:00001100\nDLE Byte[2]:01001000\n"
              "DLE Byte[4]:01101100\n"
              "DLE Cashdrawer     :0\nDLE Online         :0\nDLE Cover Open     :1\nDLE Feed "
              "Button    :1\n"
              "DLE Auto cutter    :1\nDLE Unrecoverable  :0\nDLE Autorecoverable:1\nDLE Paper Near "
              "End :1\n"
              "DLE Paper End      :1\n"
              "OPOSASBThread:CreateASBThread\nComPort:ComInitRXEvent\nComInitRXEvent:Create event "
              "success!\n"
              "CreateASBThread:Thread create success!\n");

    const std::size_t stopMark = traceLines().size();
    enable(false);
    EXPECT_EQ(line.writes().back(), kAsbOff);
    EXPECT_EQ(service->state().Settings.AsbEnabled, 0);
    EXPECT_EQ(line.receiveEventsOpen(), 0);
    EXPECT_EQ(traceFrom(stopMark),
              "SetPropertyNumber:0x3\n:PIDXDisp_DeviceEnabled:0x0\nASBStop:Stop Auto status Back\n"
              "OPOSASBThread:CloseASBThread\nComPort:RX event close success!\n"
              "CloseASBThread:Thread close success!\n");
    EXPECT_TRUE(target.statuses().empty());  // nothing found at enabling is an event
}

TEST_F(Monitoring, EnablingTwiceFindsTheThreadAndAsksAgain) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    enable(true);
    const std::size_t mark = traceLines().size();
    enable(true);
    EXPECT_EQ(writesAfterOpen(line.writes()),
              (std::vector<Bytes>{kStatusRequest, kAsbOn, kStatusRequest, kAsbOn}));
    const std::string second = traceFrom(mark);
    EXPECT_NE(second.find("StatusReport:Into StatusReport\n"), std::string::npos);
    EXPECT_NE(second.find("OPOSASBThread:CreateASBThread\nCreateASBThread:Thread already exsit!\n"),
              std::string::npos);
    EXPECT_EQ(line.receiveEventsOpen(), 1);
    enable(false);
    EXPECT_EQ(line.receiveEventsOpen(), 0);
}

TEST_F(Monitoring, DisablingWhileOffStillSendsAsbOff) {
    openSerial(&target);
    const std::size_t mark = traceLines().size();
    enable(false);
    EXPECT_EQ(writesAfterOpen(line.writes()), (std::vector<Bytes>{kAsbOff}));
    EXPECT_EQ(traceFrom(mark),
              "SetPropertyNumber:0x3\n:PIDXDisp_DeviceEnabled:0x0\nASBStop:Stop Auto status Back\n"
              "OPOSASBThread:CloseASBThread\n");
}

TEST_F(Monitoring, WithoutAReceiveEventNoThreadStartsButAutomaticStatusIsStillAskedFor) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    line.refuseReceiveEvents(true);
    const std::size_t mark = traceLines().size();
    enable(true);
    EXPECT_NE(
        traceFrom(mark).find("OPOSASBThread:CreateASBThread\nComPort:ComInitRXEvent\n"
                             "ComInitRXEvent:Create event fail!\nComPort:RX event close success!\n"
                             "CreateASBThread:Thread create fail!\n"),
        std::string::npos);
    EXPECT_EQ(line.writes().back(), kAsbOn);
    line.refuseReceiveEvents(false);
    enable(true);  // no thread was left from the failed start
    EXPECT_NE(traceFrom(mark).find("CreateASBThread:Thread create success!\n"), std::string::npos);
    enable(false);
    EXPECT_EQ(line.receiveEventsOpen(), 0);
}

TEST_F(Monitoring, ReportsFireTheirEventsInOrderFromTheStatusThread) {
    openSerial(&target);
    enable(true);
    const auto application = std::this_thread::get_id();
    std::thread::id eventThread;
    target.onEvent = [&](std::int32_t) { eventThread = std::this_thread::get_id(); };

    line.feed({0x20, 0x00, 0x03, 0x00});
    EXPECT_EQ(target.waitForStatuses(2),
              (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN, PTR_SUE_REC_NEAREMPTY}));
    EXPECT_NE(eventThread, application);
    EXPECT_EQ(service->state().CurrentStatus.CoverOpen, 1);
    line.feed({0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(target.waitForStatuses(4),
              (std::vector<std::int32_t>{11, 25, PTR_SUE_COVER_OK, PTR_SUE_REC_PAPEROK}));
    line.feed({0x00, 0x00, 0x0F, 0x00});
    line.feed({0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(target.waitForStatuses(8),
              (std::vector<std::int32_t>{11, 25, 12, 26, PTR_SUE_REC_NEAREMPTY, PTR_SUE_REC_EMPTY,
                                         26, 26}));
    enable(false);
    EXPECT_EQ(current(), (StatusFlags{0, 1, 0, 0, 0, 0, 0, 0, 0}));
    const std::string trace = traceLines();
    EXPECT_NE(
        trace.find(
            "ComWaitRXEvent:EV_RXCHAR is trigger!\nASBStatusReport:Parsing ASB Status Report\n"
            "ASB Buffer[0]:0x20\n"),
        std::string::npos);
    EXPECT_NE(trace.find("Fire_StatusUpdateEvent:Fire event success!\n"), std::string::npos);
}

TEST_F(Monitoring, WithoutAnEventTargetTheStatusStillChanges) {
    openSerial(nullptr);
    enable(true);
    line.feed({0x20, 0x00, 0x00, 0x00});
    ASSERT_TRUE(line.waitUntilDrained(std::chrono::seconds(5)));
    enable(false);  // the thread has decoded what it read before it ends
    EXPECT_EQ(service->state().CurrentStatus.CoverOpen, 1);
    EXPECT_NE(
        traceLines().find("Fire_StatusUpdateEvent:Dispatch not initial!\nASB Cashdrawer     :0\n"),
        std::string::npos);
}

TEST_F(Monitoring, UsbPrinterGivesUpTheStatusRequestAndNeverFires) {
    openUsb(&target);
    pump->waits.clear();
    enable(true);
    EXPECT_EQ(pump->waits, std::vector<std::uint32_t>(11, 101));  // eleven looks, 100 ms apart
    EXPECT_EQ(current(), StatusFlags{});                          // the load-time values
    EXPECT_EQ(usbWrites(), (std::vector<Bytes>{kOpenCommands, kStatusRequest, kAsbOn}));
    EXPECT_NE(traceLines().find("CreateASBThread:Thread create success!\n"), std::string::npos);
    EXPECT_EQ(traceLines().find("DLE Buffer"), std::string::npos);
    enable(false);
    EXPECT_TRUE(target.statuses().empty());
}

TEST_F(Monitoring, AnUnansweredRequestKeepsWhatTheLastAnswerSaid) {
    line.answer(kStatusRequest, {0x12, 0x16, 0x12, 0x12});  // cover open
    openSerial(&target);
    enable(true);
    enable(false);
    line.answer(kStatusRequest, {});
    enable(true);
    EXPECT_EQ(service->state().CurrentStatus.CoverOpen, 1);
    enable(false);
}

TEST_F(Monitoring, RepeatedEnablingLeavesNoThreadEventOrModuleLockBehind) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    const long locks = pos::component::ModuleLock::count();
    for (int i = 0; i < 20; ++i) {
        enable(true);
        EXPECT_EQ(pos::component::ModuleLock::count(),
                  locks + 1);  // the library stays while the thread runs
        enable(false);
    }
    EXPECT_EQ(line.receiveEventsOpen(), 0);
    EXPECT_EQ(pos::component::ModuleLock::count(), locks);
}

TEST_F(Monitoring, NewOpenServiceAndUnloadEndTheThread) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    enable(true);
    const std::size_t mark = traceLines().size();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    EXPECT_EQ(
        traceFrom(mark).rfind("OPOSASBThread:CloseASBThread\nComPort:RX event close success!\n"
                              "CloseASBThread:Thread close success!\nOpenService:\n",
                              0),
        0u);
    EXPECT_EQ(line.receiveEventsOpen(), 0);

    enable(true);
    EXPECT_NE(traceFrom(mark).find("CreateASBThread:Thread create success!\n"), std::string::npos);
    const long locks = pos::component::ModuleLock::count();
    service.reset();  // as when the library unloads
    EXPECT_EQ(line.receiveEventsOpen(), 0);
    EXPECT_EQ(pos::component::ModuleLock::count(), locks - 1);
}

TEST_F(Monitoring, CloseServiceEndsTheThreadAndForgetsTheControlObject) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    enable(true);
    const std::size_t mark = traceLines().size();
    EXPECT_EQ(service->CloseService(), OPOS_SUCCESS);
    EXPECT_EQ(
        traceFrom(mark),
        "======CloseService=====\nOPOSASBThread:CloseASBThread\nComPort:RX event close success!\n"
        "CloseASBThread:Thread close success!\n");
    EXPECT_EQ(line.receiveEventsOpen(), 0);
    EXPECT_EQ(service->eventTarget(), nullptr);
}

TEST_F(Monitoring, AHandlerMayDisableTheDeviceFromTheStatusThread) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    enable(true);
    target.onEvent = [this](std::int32_t) { enable(false); };
    line.feed({0x20, 0x00, 0x00, 0x00});
    ASSERT_EQ(target.waitForStatuses(1), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN}));
    EXPECT_EQ(line.writes().back(), kAsbOff);

    target.onEvent = nullptr;
    enable(true);  // the ended thread is joined and a new one started; the cover reads closed
    line.feed({0x20, 0x00, 0x00, 0x00});
    EXPECT_EQ(target.waitForStatuses(2), (std::vector<std::int32_t>{11, PTR_SUE_COVER_OPEN}));
    enable(false);
    EXPECT_EQ(line.receiveEventsOpen(), 0);
}

// A message pump that waits half again as long as asked, in real time, so the status thread
// would look at the port before the application does.
class SlowPump final : public pos::platform::MessagePump {
  public:
    std::uint32_t tickCount() override {
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    void dispatchPending() override {}
    void waitForMessage(std::uint32_t timeoutMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs * 3 / 2));
    }
};

TEST_F(Monitoring, TheStatusThreadLeavesTheStatusAnswerToTheApplication) {
    rebuild(std::make_unique<SlowPump>());
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    enable(true);
    // Read as a report, this answer would be "cover open" and "near end".
    line.answer(kStatusRequest, {0x20, 0x00, 0x03, 0x00});
    enable(true);
    EXPECT_EQ(current(), (StatusFlags{0, 1, 0, 0, 0, 0, 0, 0, 0}));
    enable(false);
    EXPECT_TRUE(target.statuses().empty());
}

}  // namespace
