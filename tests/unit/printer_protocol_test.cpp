#include "printer_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using pos::tools::PaperState;
using pos::tools::PrinterProtocol;
using Bytes = std::vector<std::uint8_t>;
using Prepare = std::function<void(PrinterProtocol&)>;

const Bytes kIdentify{0x1D, 0x28, 0x51};
const Bytes kAllStatus{0x10, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x04, 0x03, 0x10, 0x04, 0x04};
const Bytes kAsbOn{0x1D, 0x61, 0x0F};
const Bytes kAsbOff{0x1D, 0x61, 0x00};
const Bytes kDefaultIdentity{0x11, 0x54, 0x41, 0x4C, 0x56, 0x4F, 0x52, 0x49, 0x4E,
                             0x20, 0x4B, 0x56, 0x58, 0x2D, 0x39, 0x31, 0x30, 0x30};

Bytes feed(PrinterProtocol& printer, const Bytes& bytes) {
    return printer.receive(bytes);
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(PrinterIdentification, RepliesWithLengthAndModelName) {
    PrinterProtocol printer;
    EXPECT_EQ(feed(printer, kIdentify), kDefaultIdentity);
    EXPECT_EQ(printer.identificationsAnswered(), 1u);

    ASSERT_TRUE(printer.setModelName("QM"));
    EXPECT_EQ(feed(printer, kIdentify), (Bytes{0x02, 0x51, 0x4D}));
    ASSERT_TRUE(printer.setModelName(""));
    EXPECT_EQ(feed(printer, kIdentify), (Bytes{0x00}));
    EXPECT_EQ(printer.identificationsAnswered(), 3u);
}

TEST(PrinterIdentification, ModelNameFitsTheLengthByte) {
    PrinterProtocol printer;
    ASSERT_TRUE(printer.setModelName(std::string(255, 'X')));
    const Bytes reply = feed(printer, kIdentify);
    ASSERT_EQ(reply.size(), 256u);
    EXPECT_EQ(reply[0], 0xFF);

    EXPECT_FALSE(printer.setModelName(std::string(256, 'Y')));
    EXPECT_EQ(printer.modelName(), std::string(255, 'X'));
}

TEST(PrinterStatusRequest, AnswersFollowTheState) {
    struct Case {
        const char* state;
        Prepare setup;
        Bytes answers;  // to DLE EOT 1, 2, 3, 4
    };
    const Case cases[] = {
        {"ready", [](auto&) {}, {0x12, 0x12, 0x12, 0x12}},
        {"cover open", [](auto& p) { p.setCoverOpen(true); }, {0x1A, 0x16, 0x12, 0x12}},
        {"paper near end",
         [](auto& p) { p.setPaper(PaperState::NearEnd); },
         {0x12, 0x12, 0x12, 0x1E}},
        {"paper end", [](auto& p) { p.setPaper(PaperState::End); }, {0x1A, 0x12, 0x12, 0x72}},
        {"drawer open", [](auto& p) { p.setDrawerOpen(true); }, {0x16, 0x12, 0x12, 0x12}},
        {"cover open, paper end, drawer open",
         [](auto& p) {
             p.setCoverOpen(true);
             p.setPaper(PaperState::End);
             p.setDrawerOpen(true);
         },
         {0x1E, 0x16, 0x12, 0x72}},
        {"cover closed again, paper back",
         [](auto& p) {
             p.setCoverOpen(true);
             p.setPaper(PaperState::End);
             p.setCoverOpen(false);
             p.setPaper(PaperState::Ok);
         },
         {0x12, 0x12, 0x12, 0x12}},
    };
    for (const Case& c : cases) {
        PrinterProtocol printer;
        c.setup(printer);
        EXPECT_EQ(feed(printer, kAllStatus), c.answers) << c.state;
        EXPECT_EQ(printer.statusRequestsAnswered(), 4u) << c.state;
    }
}

TEST(PrinterStatusRequest, OnlyNumbersOneToFourAreAnswered) {
    PrinterProtocol printer;
    printer.setDrawerOpen(true);
    EXPECT_EQ(
        feed(printer, {0x10, 0x04, 0x00, 0x10, 0x04, 0x05, 0x10, 0x04, 0xFF, 0x10, 0x04, 0x01}),
        (Bytes{0x16}));
    EXPECT_EQ(printer.statusRequestsAnswered(), 1u);
}

TEST(AutomaticStatus, ReportsEachChangeOfState) {
    struct Step {
        const char* change;
        Prepare apply;
        Bytes report;
    };
    PrinterProtocol printer;
    printer.setInitialAsbReport(false);
    ASSERT_EQ(feed(printer, kAsbOn), Bytes{});
    ASSERT_TRUE(printer.asbEnabled());
    Bytes sent;
    const Step steps[] = {
        {"cover open", [&](auto& p) { sent = p.setCoverOpen(true); }, {0x38, 0x00, 0x00, 0x00}},
        {"cover open again", [&](auto& p) { sent = p.setCoverOpen(true); }, {}},
        {"cover closed", [&](auto& p) { sent = p.setCoverOpen(false); }, {0x10, 0x00, 0x00, 0x00}},
        {"paper near end",
         [&](auto& p) { sent = p.setPaper(PaperState::NearEnd); },
         {0x10, 0x00, 0x03, 0x00}},
        {"paper end",
         [&](auto& p) { sent = p.setPaper(PaperState::End); },
         {0x18, 0x00, 0x0C, 0x00}},
        {"paper ok", [&](auto& p) { sent = p.setPaper(PaperState::Ok); }, {0x10, 0x00, 0x00, 0x00}},
        {"drawer open", [&](auto& p) { sent = p.setDrawerOpen(true); }, {0x14, 0x00, 0x00, 0x00}},
        {"drawer closed",
         [&](auto& p) { sent = p.setDrawerOpen(false); },
         {0x10, 0x00, 0x00, 0x00}},
    };
    for (const Step& step : steps) {
        step.apply(printer);
        EXPECT_EQ(sent, step.report) << step.change;
    }
    EXPECT_EQ(printer.asbReportsSent(), 7u);
}

TEST(AutomaticStatus, SilentWhileOffButTheStateStillChanges) {
    PrinterProtocol printer;
    EXPECT_FALSE(printer.asbEnabled());
    EXPECT_EQ(printer.setCoverOpen(true), Bytes{});

    EXPECT_EQ(feed(printer, kAsbOn), (Bytes{0x38, 0x00, 0x00, 0x00}));
    EXPECT_EQ(feed(printer, kAsbOff), Bytes{});
    EXPECT_FALSE(printer.asbEnabled());
    EXPECT_EQ(printer.setPaper(PaperState::End), Bytes{});
    EXPECT_EQ(printer.setDrawerOpen(true), Bytes{});
    EXPECT_EQ(printer.setCoverOpen(false), Bytes{});
    EXPECT_EQ(feed(printer, kAllStatus), (Bytes{0x1E, 0x12, 0x12, 0x72}));
}

TEST(AutomaticStatus, SwitchingOnSendsTheCurrentStateUnlessDisabled) {
    struct Case {
        const char* what;
        bool initialReport;
        Bytes switchOn;
        Bytes reply;
    };
    const Case cases[] = {
        {"enabled", true, {0x1D, 0x61, 0x0F}, {0x38, 0x00, 0x03, 0x00}},
        {"any non-zero switches on", true, {0x1D, 0x61, 0x01}, {0x38, 0x00, 0x03, 0x00}},
        {"disabled", false, {0x1D, 0x61, 0x0F}, {}},
        {"zero switches off", true, {0x1D, 0x61, 0x00}, {}},
    };
    for (const Case& c : cases) {
        PrinterProtocol printer;
        printer.setInitialAsbReport(c.initialReport);
        printer.setCoverOpen(true);
        printer.setPaper(PaperState::NearEnd);
        EXPECT_EQ(feed(printer, c.switchOn), c.reply) << c.what;
    }
}

TEST(ProtocolParser, RequestsSplitAnywhereGetTheSameAnswers) {
    const Bytes stream = join({
        {0x1B, 0x40, 0x48, 0x69, 0x0A},  // ESC @, text, LF
        kIdentify,
        {0x1B, 0x21, 0x10},  // ESC ! with a DLE-valued parameter
        kAllStatus,
        kAsbOn,
        {0x1D, 0x6B, 0x49, 0x03, 0x10, 0x04, 0x01},  // barcode holding a request's bytes
        {0x10, 0x04, 0x04},
        {0x0A, 0x1D, 0x56, 0x42, 0x03},  // cut with feed
    });
    const Bytes expected =
        join({kDefaultIdentity, {0x12, 0x12, 0x12, 0x12}, {0x10, 0x00, 0x00, 0x00}, {0x12}});
    {
        PrinterProtocol whole;
        ASSERT_EQ(feed(whole, stream), expected);
    }
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        PrinterProtocol printer;
        Bytes got = printer.receive(std::span(stream).first(cut));
        const Bytes rest = printer.receive(std::span(stream).subspan(cut));
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, expected) << "split after byte " << cut;
    }
    PrinterProtocol byteByByte;
    Bytes got;
    for (std::uint8_t byte : stream) {
        const Bytes reply = byteByByte.receive(std::span(&byte, 1));
        got.insert(got.end(), reply.begin(), reply.end());
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(byteByByte.bytesReceived(), stream.size());
}

// The drawer is open, so a status request 1 read out of the data would answer 0x16; only the
// request 2 after the command may answer, with 0x12.
TEST(ProtocolParser, RequestBytesInsideCommandsAreNotAnswered) {
    struct Case {
        const char* command;
        Bytes bytes;
    };
    const Case cases[] = {
        {"raster image GS ( v",
         {0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x02, 0x00, 0x10, 0x04, 0x01, 0x00}},
        {"raster image GS v 0", {0x1D, 0x76, 0x30, 0x00, 0x03, 0x00, 0x01, 0x00, 0x10, 0x04, 0x01}},
        {"barcode with a length", {0x1D, 0x6B, 0x49, 0x03, 0x10, 0x04, 0x01}},
        {"barcode up to NUL", {0x1D, 0x6B, 0x04, 0x10, 0x04, 0x01, 0x31, 0x00}},
        {"download image GS *",
         {0x1D, 0x2A, 0x01, 0x01, 0x10, 0x04, 0x01, 0x1D, 0x28, 0x51, 0x00, 0x00}},
        {"8-dot bit image ESC *", {0x1B, 0x2A, 0x00, 0x03, 0x00, 0x10, 0x04, 0x01}},
        {"24-dot bit image ESC *", {0x1B, 0x2A, 0x21, 0x01, 0x00, 0x10, 0x04, 0x01}},
        {"ESC ! parameter", {0x1B, 0x21, 0x10, 0x04, 0x01}},
        {"page area ESC W", {0x1B, 0x57, 0x10, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02}},
        {"cut with feed", {0x1D, 0x56, 0x42, 0x10, 0x04, 0x01}},
        {"GS ( function with a length", {0x1D, 0x28, 0x4B, 0x03, 0x00, 0x10, 0x04, 0x01}},
        {"tab positions up to NUL", {0x1B, 0x44, 0x10, 0x04, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        PrinterProtocol printer;
        printer.setDrawerOpen(true);
        EXPECT_EQ(feed(printer, join({c.bytes, {0x10, 0x04, 0x02}})), (Bytes{0x12})) << c.command;
        EXPECT_EQ(printer.identificationsAnswered(), 0u) << c.command;
    }
}

TEST(ProtocolParser, LargeRasterImageArrivingInPieces) {
    PrinterProtocol printer;
    printer.setDrawerOpen(true);
    Bytes image{0x1D, 0x28, 0x76, 0x30, 0x00, 0x01, 0x03, 0x00};  // 256 x 3 = 768 bytes
    for (int i = 0; i < 256; ++i) image.insert(image.end(), {0x10, 0x04, 0x01});
    image.insert(image.end(), {0x10, 0x04, 0x02});
    Bytes got;
    for (std::size_t at = 0; at < image.size(); at += 7) {
        const Bytes reply = printer.receive(
            std::span(image).subspan(at, std::min<std::size_t>(7, image.size() - at)));
        got.insert(got.end(), reply.begin(), reply.end());
    }
    EXPECT_EQ(got, (Bytes{0x12}));
}

TEST(ProtocolParser, LoneDleDoesNotSwallowTheNextCommand) {
    PrinterProtocol printer;
    EXPECT_EQ(feed(printer, {0x10, 0x1D, 0x28, 0x51}), kDefaultIdentity);
    EXPECT_EQ(feed(printer, {0x10, 0x10, 0x04, 0x03}), (Bytes{0x12}));
    EXPECT_EQ(feed(printer, {0x1D, 0x76, 0x31, 0x10, 0x04, 0x03}), (Bytes{0x12}));
}

}  // namespace
