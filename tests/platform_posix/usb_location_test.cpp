// How libusb devices are named as interface paths and pipes, and which of their interfaces
// carry the bulk pipes.
#include "usb_location.h"

#include <gtest/gtest.h>

namespace {

using namespace pos::platform::posix;
using pos::platform::UsbInterfaceClass;

constexpr std::uint8_t kBulk = 0x02;
constexpr std::uint8_t kInterrupt = 0x03;

TEST(UsbLocation, PathsCarryLowerCaseIdsAndTheSysfsInterfaceName) {
    struct Row {
        UsbLocation location;
        const char* path;
    };
    const Row rows[] = {
        {{0x03EB, 0x1101, 3, {1, 4}, 1, 0}, "usb#vid_03eb&pid_1101#3-1.4:1.0"},
        {{0xABCD, 0x200F, 255, {1, 2, 3, 4, 5, 6, 7}, 2, 3},
         "usb#vid_abcd&pid_200f#255-1.2.3.4.5.6.7:2.3"},
        {{0x0001, 0x0000, 1, {12}, 1, 1}, "usb#vid_0001&pid_0000#1-12:1.1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        EXPECT_EQ(usbInterfacePath(r.location), r.path);
        EXPECT_EQ(parseUsbInterfacePath(r.path), r.location);
    }
}

TEST(UsbLocation, PathsNotOfOurMakingAreRefused) {
    const char* rows[] = {
        "",
        R"(\\?\usb#vid_03eb&pid_1101#5&2a0f1c3&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})",
        "usb#vid_03eb&pid_1101#3-1.4:1",                // no interface number
        "usb#vid_03eb&pid_1101#3-1.4:1.0.",             // trailing text
        "usb#vid_03eb&pid_1101#3-:1.0",                 // no port
        "usb#vid_03eb&pid_1101#3-1.2.3.4.5.6.7.8:1.0",  // deeper than USB allows
        "usb#vid_03eb&pid_1101#256-1:1.0",              // bus out of range
        "usb#vid_03eb&pid_1101#3-1:1.-1",
        "usb#vid_3eb&pid_1101#3-1:1.0",   // short id
        "usb#vid_03eg&pid_1101#3-1:1.0",  // not hex
        "usb#vid_03eb&pid_1101#3-+1:1.0",
    };
    for (const char* path : rows) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(parseUsbInterfacePath(path).has_value());
    }
}

TEST(UsbLocation, PipeOneIsBulkInAndPipeTwoBulkOut) {
    const auto in = parseUsbPipeName(R"(usb#vid_03eb&pid_1101#3-1.4:1.0\PIPE01)");
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->direction, UsbPipeDirection::In);
    EXPECT_EQ(in->location, (UsbLocation{0x03EB, 0x1101, 3, {1, 4}, 1, 0}));
    const auto out = parseUsbPipeName(R"(usb#vid_03eb&pid_1101#3-1.4:1.0\PIPE02)");
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->direction, UsbPipeDirection::Out);
    for (const char* name :
         {R"(usb#vid_03eb&pid_1101#3-1.4:1.0\PIPE03)", R"(usb#vid_03eb&pid_1101#3-1.4:1.0\pipe01)",
          R"(usb#vid_03eb&pid_1101#3-1.4:1.0)", R"(\PIPE01)", R"(garbage\PIPE02)"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(parseUsbPipeName(name).has_value());
    }
}

UsbAltSettingInfo setting(std::uint8_t number, std::uint8_t alternate, std::uint8_t cls,
                          std::vector<UsbEndpointInfo> endpoints) {
    return {number, alternate, cls, std::move(endpoints)};
}

TEST(UsbBulkPipes, EachInterfacesFirstSettingWithBothBulkEndpoints) {
    const std::vector<UsbAltSettingInfo> settings = {
        // A printer interface whose first setting only prints, the second also reads back.
        setting(0, 0, 7, {{0x01, kBulk, 64}}),
        setting(0, 1, 7, {{0x01, kBulk, 64}, {0x82, kBulk, 64}}),
        setting(0, 2, 7, {{0x03, kBulk, 512}, {0x84, kBulk, 512}}),
        // Interrupt endpoints do not count.
        setting(1, 0, 0xFF, {{0x85, kInterrupt, 8}, {0x06, kBulk, 64}}),
        setting(2, 0, 0xFF, {{0x87, kBulk, 512}, {0x88, kBulk, 512}, {0x09, kBulk, 512}}),
        setting(3, 0, 7, {{0x8A, kBulk, 0}, {0x0B, kBulk, 64}}),  // no packet fits: unusable
    };
    EXPECT_EQ(bulkInterfaces(settings),
              (std::vector<UsbBulkInterface>{{0, 1, 0x82, 0x01, 64}, {2, 0, 0x87, 0x09, 512}}));
    EXPECT_EQ(listedInterfaces(settings, UsbInterfaceClass::Printer),
              (std::vector<UsbBulkInterface>{{0, 1, 0x82, 0x01, 64}}));
    EXPECT_EQ(listedInterfaces(settings, UsbInterfaceClass::Device),
              (std::vector<UsbBulkInterface>{{0, 1, 0x82, 0x01, 64}}));

    const std::vector<UsbAltSettingInfo> vendorOnly = {
        setting(0, 0, 3, {{0x81, kInterrupt, 8}}),
        setting(1, 0, 0xFF, {{0x02, kBulk, 64}, {0x81, kBulk, 64}})};
    EXPECT_TRUE(listedInterfaces(vendorOnly, UsbInterfaceClass::Printer).empty());
    EXPECT_EQ(listedInterfaces(vendorOnly, UsbInterfaceClass::Device),
              (std::vector<UsbBulkInterface>{{1, 0, 0x81, 0x02, 64}}));
    EXPECT_TRUE(listedInterfaces({}, UsbInterfaceClass::Device).empty());
}

}  // namespace
