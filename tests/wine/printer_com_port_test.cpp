// The control object on Windows: the device entry in the registry, the service object created
// through COM by its ProgID, and its serial output reaching a COM port the driver script has
// mapped to a pseudo-terminal.
#include <gtest/gtest.h>
#include <windows.h>

#include "opos_constants.h"
#include "platform/registry_store.h"
#include "pos_printer_control.h"

namespace {

using namespace pos::opos;

TEST(PrinterOnComPort, OpenSendsTheStartCommandsAndTheLifecycleAnswers) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
        ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS) << printer.lastError();
        // Wine cannot read the modem lines of a pseudo-terminal, so CTS reads as off.
        EXPECT_EQ(printer.ClaimDevice(0), OPOS_E_TIMEOUT);
        EXPECT_EQ(printer.SetDeviceEnabled(true), OPOS_SUCCESS);
        EXPECT_TRUE(printer.DeviceEnabled());
        EXPECT_EQ(printer.SetDeviceEnabled(false), OPOS_SUCCESS);
        EXPECT_EQ(printer.ReleaseDevice(), OPOS_SUCCESS);
        EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
        EXPECT_EQ(printer.Open("NoSuchPrinter"), OPOS_E_NOEXIST);
    }
    CoUninitialize();
}

}  // namespace
