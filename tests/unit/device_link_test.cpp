// The serial port as the service objects drive it, and the device link's slots, over a fake
// platform port.
#include "device_link.h"

#include <gtest/gtest.h>

#include "fakes/fake_serial_port.h"
#include "fakes/fake_usb_devices.h"
#include "serial_settings.h"

namespace {

using pos::platform::DtrControl;
using pos::platform::RtsControl;
using pos::platform::SerialLineSettings;
using Bytes = std::vector<std::uint8_t>;

struct LinkFixture : ::testing::Test {
    pos::testing::FakeSerialPort::Shared port;
    pos::TraceLog trace;
    pos::ComPort com{std::make_unique<pos::testing::FakeSerialPort>(port), trace, {}};
    pos::testing::FakeUsbDevices::Shared usbDevices;
    pos::UsbLink usb{std::make_unique<pos::testing::FakeUsbDevices>(usbDevices), {}};
    std::int32_t deviceType = pos::kDeviceSerial;
    pos::PageCollector pages;
    // Command 7 stands for the commands that honour placement.
    pos::DeviceLink link{
        com, usb, deviceType, &pages,
        [](pos::CommandBuffer& b, std::int32_t n, std::int32_t placement) {
            const std::uint8_t bytes[] = {0x1B, 0x54, static_cast<std::uint8_t>(n)};
            placement == pos::DeviceLink::kAtFront ? b.prepend(bytes) : b.append(bytes);
            return true;
        }};
};

TEST(FlowControlTable, EachKindRewritesOnlyItsFields) {
    struct Row {
        std::int32_t kind;
        bool cts, dsr;
        DtrControl dtr;
        RtsControl rts;
        bool xonXoff;
    };
    const Row rows[] = {
        {0, false, false, DtrControl::Enable, RtsControl::Enable, false},
        {1, true, true, DtrControl::Handshake, RtsControl::Handshake, false},
        {2, true, false, DtrControl::Enable, RtsControl::Handshake, false},
        {3, false, true, DtrControl::Handshake, RtsControl::Enable, false},
        {4, false, false, DtrControl::Enable, RtsControl::Enable, true},
        {7, false, false, DtrControl::Enable, RtsControl::Enable, false},
        {-1, false, false, DtrControl::Enable, RtsControl::Enable, false},
    };
    for (const Row& r : rows) {
        SerialLineSettings line{.baudRate = 19200,
                                .byteSize = 7,
                                .parity = 2,
                                .stopBits = 2,
                                .outxCtsFlow = true,
                                .outxDsrFlow = true,
                                .dtrControl = DtrControl::Disable,
                                .rtsControl = RtsControl::Toggle,
                                .outX = true,
                                .inX = true};
        pos::applyFlowControl(line, r.kind);
        SCOPED_TRACE(r.kind);
        EXPECT_EQ(line.outxCtsFlow, r.cts);
        EXPECT_EQ(line.outxDsrFlow, r.dsr);
        EXPECT_EQ(line.dtrControl, r.dtr);
        EXPECT_EQ(line.rtsControl, r.rts);
        EXPECT_EQ(line.outX, r.xonXoff);
        EXPECT_EQ(line.inX, r.xonXoff);
        EXPECT_EQ(line.baudRate, 19200u);
        EXPECT_EQ(line.byteSize, 7);
        EXPECT_EQ(line.parity, 2);
        EXPECT_EQ(line.stopBits, 2);
    }
}

TEST_F(LinkFixture, OpenSerialRaisesLinesPurgesAndAppliesSettingsInOrder) {
    port.accept = [](const SerialLineSettings& s) { return s.stopBits != 1; };  // 1.5 refused
    ASSERT_TRUE(link.OpenSerial({.PortName = "COM3",
                                 .BaudRate = 38400,
                                 .Parity = 1,
                                 .StopBits = 1,
                                 .DataLength = 7,
                                 .FlowControl = 2}));
    EXPECT_EQ(port.openedName, "COM3");
    EXPECT_EQ(port.calls, (std::vector<std::string>{"setRts", "setDtr", "purge"}));
    EXPECT_EQ(port.settings.baudRate, 38400u);
    EXPECT_EQ(port.settings.parity, 1);
    EXPECT_EQ(port.settings.byteSize, 7);
    EXPECT_EQ(port.settings.stopBits, 0);  // the refused value left the previous one
    EXPECT_TRUE(port.settings.outxCtsFlow);
    EXPECT_EQ(port.settings.rtsControl, RtsControl::Handshake);
}

TEST_F(LinkFixture, OpenSerialFailsWhenThePortDoesNotOpen) {
    port.failOpen = true;
    EXPECT_FALSE(link.OpenSerial({.PortName = "COM10"}));
    EXPECT_FALSE(com.isOpen());
}

TEST_F(LinkFixture, PutCommandNumbersOutsideTheTable) {
    pos::CommandBuffer b{0x41};
    EXPECT_FALSE(link.PutCommand(b, 30, 31));
    EXPECT_FALSE(link.PutCommand(b, 31, 31));
    EXPECT_FALSE(link.PutCommand(b, 33, 31));
    EXPECT_FALSE(link.PutCommand(b, 40, 31));
    EXPECT_FALSE(link.PutCommand(b, -1, 31));
    EXPECT_TRUE(link.PutCommand(b, 32, 31));
    EXPECT_EQ(Bytes(b.bytes().begin(), b.bytes().end()), Bytes{0x41});
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(LinkFixture, PutCommandPassesPlacementToTheTable) {
    pos::CommandBuffer b{0x41, 0x42};
    EXPECT_TRUE(link.PutCommand(b, 7, pos::DeviceLink::kAtFront));
    EXPECT_TRUE(link.PutCommand(b, 7, pos::DeviceLink::kAtEnd));
    EXPECT_EQ(Bytes(b.bytes().begin(), b.bytes().end()),
              (Bytes{0x1B, 0x54, 0x07, 0x41, 0x42, 0x1B, 0x54, 0x07}));
}

TEST_F(LinkFixture, SendWritesOnceLeavesTheBufferAndSkipsEmptyBuffers) {
    link.OpenSerial({.PortName = "COM1", .BaudRate = 9600, .DataLength = 8});
    pos::CommandBuffer empty;
    EXPECT_TRUE(link.PutCommand(empty, 29, 31));
    EXPECT_TRUE(port.writes.empty());
    pos::CommandBuffer b{0x1B, 0x40, 0x0A};
    EXPECT_TRUE(link.PutCommand(b, 29, 31));
    EXPECT_EQ(port.writes, (std::vector<Bytes>{{0x1B, 0x40, 0x0A}}));
    EXPECT_EQ(b.size(), 3u);
}

TEST_F(LinkFixture, SendCollectsIntoThePageWhileActiveEvenWhenEmpty) {
    link.OpenSerial({.PortName = "COM1"});
    pages.active = true;
    pos::CommandBuffer b{0x41};
    pos::CommandBuffer empty;
    EXPECT_TRUE(link.PutCommand(b, 29, 31));
    EXPECT_TRUE(link.PutCommand(empty, 29, 31));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(Bytes(pages.buffer.bytes().begin(), pages.buffer.bytes().end()), Bytes{0x41});
    EXPECT_EQ(b.size(), 1u);
}

TEST_F(LinkFixture, OtherDeviceTypesDoNothingAndReportSuccess) {
    link.OpenSerial({.PortName = "COM1"});
    for (std::int32_t type : {0, 12, 99}) {
        deviceType = type;
        pos::CommandBuffer b{0x41};
        std::uint8_t reply[4] = {};
        EXPECT_TRUE(link.PutCommand(b, 29, 31));
        EXPECT_TRUE(link.Read(reply, 4));
        EXPECT_TRUE(link.Close());
    }
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(com.isOpen());
}

TEST_F(LinkFixture, ReadWithNoCountTouchesNothing) {
    link.OpenSerial({.PortName = "COM1"});
    port.incoming = {1, 2, 3};
    std::uint8_t reply[3] = {};
    EXPECT_TRUE(link.Read(reply, 0));
    EXPECT_TRUE(link.Read(reply, -5));
    EXPECT_EQ(port.incoming.size(), 3u);
    EXPECT_TRUE(link.Read(reply, 2));
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(reply[1], 2);
    EXPECT_EQ(reply[2], 0);
}

TEST_F(LinkFixture, UsbTypeUsesTheUsbLinkAndReceiveEventsStayOnTheSerialPort) {
    deviceType = pos::kDeviceUsb;
    EXPECT_FALSE(link.OpenUsb(0x0202));
    EXPECT_TRUE(link.InitRXEvent());  // no serial port open: nothing to watch
    EXPECT_FALSE(link.WaitRXEvent());
    EXPECT_TRUE(link.CloseRXEvent());
}

TEST_F(LinkFixture, CtsPowerTestNeedsAReadableModemStatus) {
    EXPECT_FALSE(com.IsCtsOn());  // closed: the modem status cannot be read
    link.OpenSerial({.PortName = "COM1"});
    port.cts = true;
    EXPECT_TRUE(com.IsCtsOn());
    port.ctsReadable = false;
    EXPECT_FALSE(com.IsCtsOn());
}

}  // namespace
