#include "control_command.h"

#include <optional>
#include <utility>

namespace pos::tools {

namespace {

constexpr std::string_view kSpace = " \t\r";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::optional<bool> openOrClosed(std::string_view word) {
    if (word == "open") return true;
    if (word == "close" || word == "closed") return false;
    return std::nullopt;
}

std::optional<PaperState> paperState(std::string_view word) {
    if (word == "ok") return PaperState::Ok;
    if (word == "near-end") return PaperState::NearEnd;
    if (word == "end") return PaperState::End;
    return std::nullopt;
}

const char* paperText(PaperState paper) {
    switch (paper) {
        case PaperState::NearEnd:
            return "near-end";
        case PaperState::End:
            return "end";
        default:
            return "ok";
    }
}

CommandOutcome error(const std::string& text) {
    return {"error: " + text + "\n", {}, false};
}
CommandOutcome ok(PrinterProtocol::Bytes report = {}) {
    return {"ok\n", std::move(report), false};
}

}  // namespace

CommandOutcome runControlCommand(PrinterProtocol& printer, std::string_view line) {
    line = trim(line);
    if (line.empty()) return {};
    const auto split = line.find_first_of(kSpace);
    const std::string_view verb = line.substr(0, split);
    const std::string_view argument =
        split == std::string_view::npos ? std::string_view{} : trim(line.substr(split));

    if (verb == "cover" || verb == "drawer") {
        const auto open = openOrClosed(argument);
        if (!open) return error(std::string(verb) + " takes open or close");
        return ok(verb == "cover" ? printer.setCoverOpen(*open) : printer.setDrawerOpen(*open));
    }
    if (verb == "paper") {
        const auto paper = paperState(argument);
        if (!paper) return error("paper takes ok, near-end or end");
        return ok(printer.setPaper(*paper));
    }
    if (verb == "model") {
        if (argument.empty()) return error("model needs a name");
        if (!printer.setModelName(std::string(argument))) {
            return error("model name longer than " +
                         std::to_string(PrinterProtocol::kMaxModelName) + " bytes");
        }
        return ok();
    }
    if (!argument.empty() && (verb == "status" || verb == "quit")) {
        return error(std::string(verb) + " takes no argument");
    }
    if (verb == "status") return {describeState(printer) + "\nok\n", {}, false};
    if (verb == "quit") return {"ok\n", {}, true};
    return error("unknown command '" + std::string(verb) +
                 "' (cover, paper, drawer, model, status, quit)");
}

std::string describeState(const PrinterProtocol& printer) {
    return std::string("cover ") + (printer.coverOpen() ? "open" : "closed") + ", paper " +
           paperText(printer.paper()) + ", drawer " + (printer.drawerOpen() ? "open" : "closed") +
           ", " + (printer.offLine() ? "off line" : "on line") + ", automatic status " +
           (printer.asbEnabled() ? "on" : "off") + ", model \"" + printer.modelName() +
           "\"; received " + std::to_string(printer.bytesReceived()) + " bytes, identifications " +
           std::to_string(printer.identificationsAnswered()) + ", status requests " +
           std::to_string(printer.statusRequestsAnswered()) + ", status reports " +
           std::to_string(printer.asbReportsSent());
}

}  // namespace pos::tools
