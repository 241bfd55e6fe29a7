// The libusb devices on this machine: a search that finds no device of ours answers nothing,
// and searches and opens leave no descriptor behind.
#include "platform/usb_devices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "usb_device_match.h"
#include "usb_link.h"

namespace {

using pos::platform::UsbInterfaceClass;

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

bool anyOfOurs(const std::vector<std::string>& paths) {
    return !pos::chooseUsbDevicePath(paths, pos::UsbIdSet::Printer, "").empty();
}

TEST(LibusbDevices, WithoutOurDeviceASearchFindsNoneAndOpenFails) {
    auto devices = pos::platform::createUsbDevices();
    const auto printers = devices->presentInterfacePaths(UsbInterfaceClass::Printer);
    const auto generic = devices->presentInterfacePaths(UsbInterfaceClass::Device);
    if (anyOfOurs(printers) || anyOfOurs(generic))
        GTEST_SKIP() << "a device of the family is attached";
    for (const auto& path : printers) EXPECT_NE(path.find("vid_"), std::string::npos) << path;
    pos::UsbLink link(std::move(devices),
                      {.ids = pos::UsbIdSet::Printer, .announcePipeNames = false});
    EXPECT_FALSE(link.Open(4353));
    EXPECT_FALSE(link.Open(8193));
    EXPECT_FALSE(link.isOpen());
}

TEST(LibusbDevices, PipesOfAbsentOrMalformedDevicesDoNotOpen) {
    auto devices = pos::platform::createUsbDevices();
    for (const char* name : {R"(usb#vid_03eb&pid_1101#250-7.7:1.0\PIPE01)",
                             R"(usb#vid_03eb&pid_1101#250-7.7:1.0\PIPE02)",
                             R"(usb#vid_03eb&pid_1101#250-7.7:1.0\PIPE03)", "",
                             R"(\\?\usb#vid_03eb&pid_1101#1\PIPE01)"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(devices->openPipe(name), nullptr);
    }
}

TEST(LibusbDevices, RepeatedSearchesAndOpensLeakNoDescriptors) {
    // A first round lets the runtime make whatever it keeps for the process.
    auto round = [] {
        auto devices = pos::platform::createUsbDevices();
        devices->presentInterfacePaths(UsbInterfaceClass::Printer);
        devices->presentInterfacePaths(UsbInterfaceClass::Device);
        devices->openPipe(R"(usb#vid_03eb&pid_1101#250-7.7:1.0\PIPE01)");
        pos::UsbLink link(std::move(devices),
                          {.ids = pos::UsbIdSet::Printer, .announcePipeNames = false});
        link.Open(4353);
        link.Close();
    };
    round();
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 25; ++i) round();
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
