#include "control_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using pos::tools::PaperState;
using pos::tools::PrinterProtocol;
using pos::tools::runControlCommand;
using Bytes = std::vector<std::uint8_t>;

TEST(ControlCommand, ChangesTheStateAndAnswersOk) {
    struct Case {
        const char* line;
        std::function<bool(const PrinterProtocol&)> applied;
    };
    const Case cases[] = {
        {"cover open", [](const auto& p) { return p.coverOpen(); }},
        {"  paper near-end \r", [](const auto& p) { return p.paper() == PaperState::NearEnd; }},
        {"paper end", [](const auto& p) { return p.paper() == PaperState::End; }},
        {"drawer open", [](const auto& p) { return p.drawerOpen(); }},
        {"model TALVORIN QM710", [](const auto& p) { return p.modelName() == "TALVORIN QM710"; }},
    };
    for (const Case& c : cases) {
        PrinterProtocol printer;
        const auto outcome = runControlCommand(printer, c.line);
        EXPECT_EQ(outcome.reply, "ok\n") << c.line;
        EXPECT_TRUE(c.applied(printer)) << c.line;
        EXPECT_FALSE(outcome.quit) << c.line;
    }
}

TEST(ControlCommand, BadLinesAnswerAnErrorAndChangeNothing) {
    const std::string lines[] = {"cover",
                                 "cover ajar",
                                 "paper empty",
                                 "drawer",
                                 "drawer open wide",
                                 "model",
                                 "model " + std::string(256, 'X'),
                                 "status now",
                                 "quit please",
                                 "jump",
                                 "COVER OPEN"};
    for (const std::string& line : lines) {
        PrinterProtocol printer;
        const std::string before = pos::tools::describeState(printer);
        const auto outcome = runControlCommand(printer, line);
        EXPECT_TRUE(outcome.reply.starts_with("error: ")) << line << ": " << outcome.reply;
        EXPECT_TRUE(outcome.reply.ends_with("\n")) << line;
        EXPECT_EQ(outcome.reply.find('\n'), outcome.reply.size() - 1) << line;
        EXPECT_EQ(pos::tools::describeState(printer), before) << line;
        EXPECT_FALSE(outcome.quit) << line;
    }
}

TEST(ControlCommand, ChangesCarryTheReportStatusAndQuit) {
    PrinterProtocol printer;
    printer.setInitialAsbReport(false);
    printer.receive(Bytes{0x1D, 0x61, 0x0F});

    EXPECT_EQ(runControlCommand(printer, "cover open").report, (Bytes{0x38, 0x00, 0x00, 0x00}));
    EXPECT_EQ(runControlCommand(printer, "cover close").report, (Bytes{0x10, 0x00, 0x00, 0x00}));
    EXPECT_EQ(runControlCommand(printer, "model X").report, Bytes{});

    const auto status = runControlCommand(printer, "status");
    EXPECT_TRUE(status.reply.starts_with(
        "cover closed, paper ok, drawer closed, on line, automatic status on, "
        "model \"X\"; received 3 bytes"))
        << status.reply;
    EXPECT_TRUE(status.reply.ends_with("\nok\n")) << status.reply;

    EXPECT_EQ(runControlCommand(printer, "   ").reply, "");
    const auto quit = runControlCommand(printer, "quit");
    EXPECT_EQ(quit.reply, "ok\n");
    EXPECT_TRUE(quit.quit);
}

}  // namespace
