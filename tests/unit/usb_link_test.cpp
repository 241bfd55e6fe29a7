// Finding the USB device by the ids in its interface path, and its two pipes as the device
// link uses them, over fake platform USB devices.
#include "usb_link.h"

#include <gtest/gtest.h>

#include "device_link.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_usb_devices.h"

namespace {

using pos::UsbIdSet;
using pos::platform::UsbInterfaceClass;
using Bytes = std::vector<std::uint8_t>;
using Fake = pos::testing::FakeUsbDevices;

const std::string kPrinterPath =
    R"(\\?\usb#vid_03eb&pid_1101#5&2a0f1c3&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})";
const std::string kOtherPrinterPath =
    R"(\\?\usb#vid_03eb&pid_2401#5&2a0f1c3&0&2#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})";
const std::string kForeignPath =
    R"(\\?\usb#vid_0000&pid_0202#5&2a0f1c3&0&3#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})";

TEST(UsbDeviceMatch, PathsAcceptedByPrinterAndDisplay) {
    struct Row {
        const char* what;
        std::string path;
        bool printer;
        bool display;
    };
    const Row rows[] = {
        {"vendor and a product both know", kPrinterPath, true, true},
        {"a product only the printer knows", kOtherPrinterPath, true, false},
        {"upper-case ids the printer lists", R"(\\?\usb#vid_03EB&pid_200A#1)", true, false},
        {"mixed-case vendor", R"(\\?\usb#vid_03eB&pid_6127#1)", true, true},
        {"a lower-case hex product", R"(\\?\usb#vid_03Eb&pid_200c#1)", true, false},
        {"a product nobody lists", R"(\\?\usb#vid_03eb&pid_1104#1)", false, false},
        {"another vendor", kForeignPath, false, false},
        {"ids swapped still pass, one set holds both", R"(\\?\usb#vid_1101&pid_03eb#1)", true,
         true},
        {"upper-case markers are not found", R"(\\?\USB#VID_03EB&PID_1101#1)", false, false},
        {"the first marker counts", R"(\\?\usb#vid_0000&pid_1101#vid_03eb)", false, false},
        // With a marker missing, the slice starts at the fourth character.
        {"no pid marker, fourth character on", "abc1101#vid_03eb", true, true},
        {"no markers at all", "abc03ebXYZ", true, true},
        {"nine characters are skipped", "abc03ebXY", false, false},
        {"marker at the very end", "xxxxxxxxxxvid_03eb&pid_", false, false},
        {"id cut short by the end", "xxxxxxxxxxpid_1101&vid_03e", false, false},
        {"empty", "", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(pos::isAcceptedUsbPath(r.path, UsbIdSet::Printer), r.printer);
        EXPECT_EQ(pos::isAcceptedUsbPath(r.path, UsbIdSet::Display), r.display);
    }
}

TEST(UsbDeviceMatch, IdSlices) {
    EXPECT_EQ(pos::usbIdSlice("usb#vid_03eb&pid_1101", "vid_"), "03eb");
    EXPECT_EQ(pos::usbIdSlice("usb#vid_03eb&pid_1101", "pid_"), "1101");
    EXPECT_EQ(pos::usbIdSlice("abcdefgh", "pid_"), "defg");
    EXPECT_EQ(pos::usbIdSlice("abcde", "pid_"), "de");
    EXPECT_EQ(pos::usbIdSlice("abc", "pid_"), "");
    EXPECT_EQ(pos::usbIdSlice("ab", "pid_"), "");
    EXPECT_EQ(pos::usbIdSlice("xxpid_", "pid_"), "");
}

TEST(UsbDeviceMatch, TheLastAcceptedPathWinsElseTheRememberedOne) {
    const std::string a = R"(\\?\usb#vid_03eb&pid_1001#a)";
    const std::string b = R"(\\?\usb#vid_03eb&pid_1002#b)";
    EXPECT_EQ(pos::chooseUsbDevicePath({a, kForeignPath, b, kForeignPath}, UsbIdSet::Printer, ""),
              b);
    EXPECT_EQ(pos::chooseUsbDevicePath({b, a}, UsbIdSet::Printer, "old"), a);
    EXPECT_EQ(pos::chooseUsbDevicePath({kForeignPath}, UsbIdSet::Printer, "old"), "old");
    EXPECT_EQ(pos::chooseUsbDevicePath({}, UsbIdSet::Printer, ""), "");
    EXPECT_EQ(pos::chooseUsbDevicePath({kOtherPrinterPath}, UsbIdSet::Display, ""), "");
}

TEST(UsbDeviceMatch, PipeNames) {
    EXPECT_EQ(pos::usbPipeName(R"(\\?\usb#vid_03eb&pid_1101#1)", 1),
              R"(\\?\usb#vid_03eb&pid_1101#1\PIPE01)");
    EXPECT_EQ(pos::usbPipeName(R"(\\?\usb#vid_03eb&pid_1101#1)", 2),
              R"(\\?\usb#vid_03eb&pid_1101#1\PIPE02)");
}

std::string pipe(const std::string& path, int n) {
    return pos::usbPipeName(path, n);
}

struct UsbLinkTest : ::testing::Test {
    Fake::Shared usb;
    int unknownProducts = 0;
    pos::UsbLink link{std::make_unique<Fake>(usb),
                      {.ids = UsbIdSet::Printer,
                       .announcePipeNames = true,
                       .unknownProduct = [this] { ++unknownProducts; }}};
};

TEST_F(UsbLinkTest, ProductIdChoosesTheInterfaceClassSearched) {
    struct Row {
        std::uint16_t productId;
        std::optional<UsbInterfaceClass> searched;
    };
    const Row rows[] = {
        {4353, UsbInterfaceClass::Printer},
        {4354, UsbInterfaceClass::Device},
        {8193, UsbInterfaceClass::Device},
        {4355, std::nullopt},
        {0, std::nullopt},
        {0xFFFF, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.productId);
        usb.searches.clear();
        unknownProducts = 0;
        EXPECT_FALSE(link.Open(r.productId));  // nothing is present
        if (r.searched) {
            EXPECT_EQ(usb.searches, std::vector{*r.searched});
            EXPECT_EQ(unknownProducts, 0);
        } else {
            EXPECT_TRUE(usb.searches.empty());
            EXPECT_EQ(unknownProducts, 1);
        }
    }
}

TEST_F(UsbLinkTest, OpensBothPipesOfTheLastAcceptedDeviceAndNamesThem) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath, kForeignPath, kOtherPrinterPath,
                                               kForeignPath};
    ASSERT_TRUE(link.Open(4353));
    EXPECT_EQ(link.devicePath(), kOtherPrinterPath);
    const std::vector<std::string> pipes = {kOtherPrinterPath + R"(\PIPE01)",
                                            kOtherPrinterPath + R"(\PIPE02)"};
    EXPECT_EQ(usb.openAttempts, pipes);
    EXPECT_EQ(usb.debuggerOutput, (std::vector<std::string>{pipes[0] + "\n", pipes[1] + "\n"}));
    EXPECT_EQ(usb.openPipes, (std::multiset<std::string>{pipes[0], pipes[1]}));
}

TEST_F(UsbLinkTest, DisplayCopyTakesFewerIdsAndNamesNoPipes) {
    pos::UsbLink display{std::make_unique<Fake>(usb),
                         {.ids = UsbIdSet::Display, .announcePipeNames = false}};
    usb.present[UsbInterfaceClass::Device] = {kPrinterPath, kOtherPrinterPath};
    ASSERT_TRUE(display.Open(4354));
    EXPECT_EQ(display.devicePath(), kPrinterPath);
    EXPECT_TRUE(usb.debuggerOutput.empty());
    EXPECT_FALSE(display.Open(4355));  // no message hook given: simply false
}

TEST_F(UsbLinkTest, OpenFailsAndLeavesNothingOpenWhenAPipeDoesNotOpen) {
    struct Row {
        const char* what;
        std::set<std::string> refused;
    };
    const Row rows[] = {
        {"pipe 2 refused", {pipe(kPrinterPath, 2)}},
        {"pipe 1 refused", {pipe(kPrinterPath, 1)}},
        {"both refused", {pipe(kPrinterPath, 1), pipe(kPrinterPath, 2)}},
    };
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        usb.refusedPipes = r.refused;
        usb.openAttempts.clear();
        EXPECT_FALSE(link.Open(4353));
        EXPECT_EQ(usb.openAttempts.size(), 2u);
        EXPECT_TRUE(usb.openPipes.empty());
        EXPECT_FALSE(link.isOpen());
        EXPECT_FALSE(link.Write(Bytes{0x0A}));
        EXPECT_TRUE(usb.writes.empty());
    }
}

TEST_F(UsbLinkTest, RememberedPathIsTriedAgainAndFailsOnceTheDeviceIsGone) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    ASSERT_TRUE(link.Open(4353));
    // The generic search does not list it, but the device is still there: its pipes open.
    EXPECT_TRUE(link.Open(8193));
    EXPECT_EQ(usb.searches.back(), UsbInterfaceClass::Device);
    EXPECT_EQ(usb.openPipes.size(), 2u);
    // Unplugged: the remembered path is tried and its pipes fail.
    usb.present.clear();
    usb.openAttempts.clear();
    EXPECT_FALSE(link.Open(4353));
    EXPECT_EQ(usb.openAttempts,
              (std::vector<std::string>{pipe(kPrinterPath, 1), pipe(kPrinterPath, 2)}));
    EXPECT_TRUE(usb.openPipes.empty());
    EXPECT_EQ(link.devicePath(), kPrinterPath);
}

TEST_F(UsbLinkTest, ASecondOpenClosesTheFirstPair) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    ASSERT_TRUE(link.Open(4353));
    ASSERT_TRUE(link.Open(4353));
    EXPECT_EQ(usb.openPipes,
              (std::multiset<std::string>{pipe(kPrinterPath, 1), pipe(kPrinterPath, 2)}));
    EXPECT_FALSE(link.Open(4355));  // even a failed open leaves nothing of the earlier one
    EXPECT_TRUE(usb.openPipes.empty());
}

TEST_F(UsbLinkTest, WritesGoToPipe2AndReadsComeFromPipe1WithinASecond) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    ASSERT_TRUE(link.Open(4353));
    EXPECT_TRUE(link.Write(Bytes{0x1B, 0x40, 0x0A}));
    EXPECT_EQ(
        usb.writes,
        (std::vector<std::pair<std::string, Bytes>>{{pipe(kPrinterPath, 2), {0x1B, 0x40, 0x0A}}}));
    usb.acceptPerWrite = 2;  // the device stops taking bytes
    EXPECT_FALSE(link.Write(Bytes{0x41, 0x42, 0x43}));

    usb.incoming = {0x10, 0x20, 0x30, 0x40};
    std::uint8_t reply[3] = {};
    EXPECT_TRUE(link.Read(reply, 3));
    EXPECT_EQ(Bytes(reply, reply + 3), (Bytes{0x10, 0x20, 0x30}));
    std::uint8_t partial[3] = {0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(link.Read(partial, 3));
    EXPECT_EQ(Bytes(partial, partial + 3), (Bytes{0x40, 0xEE, 0xEE}));
    EXPECT_EQ(usb.readsFrom,
              (std::vector<std::string>{pipe(kPrinterPath, 1), pipe(kPrinterPath, 1)}));
    for (auto t : usb.timeouts) EXPECT_EQ(t, std::chrono::milliseconds(1000));

    link.Close();
    EXPECT_TRUE(usb.openPipes.empty());
    usb.incoming = {0x50};
    EXPECT_FALSE(link.Write(Bytes{0x0A}));
    EXPECT_FALSE(link.Read(partial, 1));
    EXPECT_EQ(usb.incoming.size(), 1u);
    EXPECT_EQ(link.devicePath(), kPrinterPath);  // kept for the next open
}

TEST_F(UsbLinkTest, DestroyingTheLinkClosesItsPipes) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    {
        pos::UsbLink other{std::make_unique<Fake>(usb), {}};
        ASSERT_TRUE(other.Open(4353));
        EXPECT_EQ(usb.openPipes.size(), 2u);
    }
    EXPECT_TRUE(usb.openPipes.empty());
}

// The device link's USB slots, with the serial port standing by untouched.
struct UsbDeviceLink : ::testing::Test {
    pos::testing::FakeSerialPort::Shared port;
    pos::TraceLog trace;
    pos::ComPort com{std::make_unique<pos::testing::FakeSerialPort>(port), trace, {}};
    Fake::Shared usb;
    pos::UsbLink usbLink{std::make_unique<Fake>(usb), {}};
    std::int32_t deviceType = pos::kDeviceUsb;
    pos::DeviceLink link{com, usbLink, deviceType, nullptr, {}};
};

TEST_F(UsbDeviceLink, SendReadAndCloseUseThePipes) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    ASSERT_TRUE(link.OpenUsb(4353));
    pos::CommandBuffer empty;
    link.PutCommand(empty, pos::DeviceLink::kSend);
    EXPECT_TRUE(usb.writes.empty());
    pos::CommandBuffer b{0x1D, 0x56, 0x42, 0x00};
    EXPECT_TRUE(link.PutCommand(b, pos::DeviceLink::kSend));
    EXPECT_EQ(usb.writes, (std::vector<std::pair<std::string, Bytes>>{
                              {pipe(kPrinterPath, 2), {0x1D, 0x56, 0x42, 0x00}}}));

    usb.incoming = {0x11, 0x22};
    std::uint8_t reply[2] = {};
    EXPECT_TRUE(link.Read(reply, 2));
    EXPECT_EQ(Bytes(reply, reply + 2), (Bytes{0x11, 0x22}));
    EXPECT_TRUE(link.Read(reply, 0));
    EXPECT_TRUE(link.Read(reply, -5));
    EXPECT_EQ(usb.readsFrom.size(), 1u);

    EXPECT_TRUE(link.Close());
    EXPECT_TRUE(usb.openPipes.empty());
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(port.openAttempts.empty());
}

TEST_F(UsbDeviceLink, SendAfterCloseIsLostQuietly) {
    usb.present[UsbInterfaceClass::Printer] = {kPrinterPath};
    ASSERT_TRUE(link.OpenUsb(4353));
    link.Close();
    pos::CommandBuffer b{0x0A};
    EXPECT_TRUE(link.PutCommand(b, pos::DeviceLink::kSend));
    EXPECT_TRUE(usb.writes.empty());
}

}  // namespace
