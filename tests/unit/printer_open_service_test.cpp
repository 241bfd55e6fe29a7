// The device check of a serial printer whose CTS line is on, and the first commands sent.
#include <gtest/gtest.h>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using Bytes = std::vector<std::uint8_t>;
using OpenService = pos::testing::PrinterFixture;

Bytes reply(const std::string& text, int lengthByte = -1) {
    Bytes bytes{static_cast<std::uint8_t>(lengthByte < 0 ? text.size() : lengthByte)};
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

TEST_F(OpenService, IdentificationDecidesWhetherAPoweredSerialPrinterPasses) {
    struct Case {
        const char* what;
        Bytes answer;
        std::int32_t rc;
    };
    const Case cases[] = {
        {"a listed model", reply("TALVORIN QM710"), OPOS_SUCCESS},
        {"length 17 with the first model", reply("TALVORIN KVX-9100", 17), OPOS_SUCCESS},
        {"the brand with an unlisted model", reply("TALVORIN ZZ-1"), OPOS_SUCCESS},
        {"seven letters of the brand", reply("TALVORI"), OPOS_E_ILLEGAL},
        {"another brand", reply("OTHERBRAND 1000"), OPOS_E_ILLEGAL},
        {"no answer", {}, OPOS_E_ILLEGAL},
        {"a length beyond the reply buffer", reply("TALVORIN " + std::string(60, 'X'), 69),
         OPOS_SUCCESS},
        {"a negative length", reply("TALVORIN QM700", 0x90), OPOS_E_ILLEGAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(registryPath);
        writeSerialEntry();
        port = {};
        port.cts = true;
        // Queue the reply once the settings are written: the open itself purges earlier bytes.
        port.accept = [&](const auto&) {
            port.incoming.assign(c.answer.begin(), c.answer.end());
            return true;
        };
        EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), c.rc);
        ASSERT_FALSE(port.writes.empty());
        EXPECT_EQ(port.writes.front(), (Bytes{0x1D, 0x28, 0x51}));
        if (c.rc == OPOS_SUCCESS) {
            EXPECT_EQ(port.writes.back(), (Bytes{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}));
        } else {
            EXPECT_EQ(port.writes.size(), 1u);
            EXPECT_NE(traceText().find("OpenService:Check device fail!\n"), std::string::npos);
        }
    }
}

TEST_F(OpenService, UnpoweredSerialPrinterIsNotAskedAndGetsTheStartCommands) {
    writeSerialEntry();
    EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    EXPECT_EQ(port.writes, (std::vector<Bytes>{{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}}));
}

TEST_F(OpenService, ASecondOpenReusesThePortWithoutLeakingIt) {
    writeSerialEntry();
    service->OpenService(u"POSPrinter", u"P", nullptr);
    writeText("COMPORT", "COM2");
    service->OpenService(u"POSPrinter", u"P", nullptr);
    EXPECT_EQ(port.openedName, "COM2");
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "close"), 1);
}

}  // namespace
