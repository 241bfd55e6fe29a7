// The identification of a powered serial printer, answered by the simulated printer's own
// protocol engine behind the port (a pseudo-terminal has no CTS line, so this path can only be
// reached in-process).
#include <gtest/gtest.h>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"
#include "printer_protocol.h"

namespace {

using namespace pos::opos;
using Bytes = std::vector<std::uint8_t>;

struct Identification : pos::testing::PrinterFixture {
    pos::tools::PrinterProtocol printer;
    Identification() {
        port.cts = true;
        port.device = [this](std::span<const std::uint8_t> bytes) {
            return printer.receive(bytes);
        };
        writeSerialEntry();
    }
};

TEST_F(Identification, EveryModelOfTheFamilyIsAccepted) {
    for (const char* model :
         {"TALVORIN KVX-9100", "TALVORIN QM700", "TALVORIN QM720", "TALVORIN ZZ-1"}) {
        ASSERT_TRUE(printer.setModelName(model));
        port.writes.clear();
        EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS) << model;
        EXPECT_EQ(port.writes,
                  (std::vector<Bytes>{{0x1D, 0x28, 0x51}, {0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}}))
            << model;
    }
}

TEST_F(Identification, OtherPrintersAndShortNamesAreRefused) {
    for (const char* model : {"TALVORI", "OTHERBRAND 1000", ""}) {
        ASSERT_TRUE(printer.setModelName(model));
        port.writes.clear();
        EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_E_ILLEGAL) << model;
        EXPECT_EQ(port.writes, (std::vector<Bytes>{{0x1D, 0x28, 0x51}})) << model;
    }
    EXPECT_NE(traceLines().find("OpenService:Check device fail!\n"), std::string::npos);
}

TEST_F(Identification, AClaimOnAPoweredPrinterSucceeds) {
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    EXPECT_EQ(service->ClaimDevice(1000), OPOS_SUCCESS);
    EXPECT_EQ(service->GetPropertyNumber(14), 2001);  // PS_ONLINE
}

}  // namespace
