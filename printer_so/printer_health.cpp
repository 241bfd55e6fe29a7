// The health check and direct commands.
#include <string_view>

#include "opos_constants.h"
#include "platform/ansi_text.h"
#include "printer_commands.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
constexpr std::int32_t kDirectIOCommand = 29111954;

std::string_view testText(std::int32_t deviceType) {
    switch (deviceType) {
        case kDeviceUsb:
            return "OPOS is ready.\nInterface:USB\n\n\n\n\n\n\n\n\n";
        case kDeviceSerial:
            return "OPOS is ready.\nInterface:COM\n\n\n\n\n\n\n\n\n";
        default:
            return {};
    }
}

struct HealthLevel {
    const char* heading;
    const char* result;
};

const HealthLevel* healthLevel(std::int32_t level) {
    static constexpr HealthLevel kLevels[] = {
        {"Internal HCheck !!\n", "Internal is health\n"},
        {"External HCheck !!\n", "External is health\n"},
        {"Interactive HCheck !!\n", "Interactive is health\n"},
    };
    if (level < OPOS_CH_INTERNAL || level > OPOS_CH_INTERACTIVE) return nullptr;
    return &kLevels[level - OPOS_CH_INTERNAL];
}

void appendText(CommandBuffer& buffer, std::string_view text) {
    buffer.append(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
}  // namespace

std::int32_t PrinterService::CheckHealth(std::int32_t level) {
    trace_.Write("CheckHealth:0x%x\n", static_cast<unsigned>(level));
    const std::string_view test = testText(state_.DeviceType);
    CommandBuffer printout;
    link_.PutCommand(printout, kInitialize, DeviceLink::kAtEnd);
    link_.PutCommand(printout, kDefaultLineSpacing, DeviceLink::kAtEnd);
    std::int32_t result = OPOS_SUCCESS;
    if (const HealthLevel* chosen = healthLevel(level)) {
        appendText(printout, chosen->heading);
        appendText(printout, test);
        link_.PutCommand(printout, DeviceLink::kSend, DeviceLink::kAtEnd);
        state_.CheckHealthText = chosen->result;
    } else {
        trace_.Write("CheckHealth:Level error OPOS_E_ILLEGAL\n");
        result = OPOS_E_ILLEGAL;
    }
    // A health check always leaves status monitoring on, whatever the level.
    ASBStart();
    return result;
}

std::int32_t PrinterService::DirectIO(std::int32_t command, std::int32_t& data, String& text) {
    trace_.Write("DirectIO:0x%x\n", static_cast<unsigned>(command));
    if (command != kDirectIOCommand) {
        // Nothing is sent for any other code, and the caller is told so.
        trace_.Write("DirectIO:Command fail!:OPOS_E_ILLEGAL\n");
        return OPOS_E_ILLEGAL;
    }
    CommandBuffer buffer;
    appendText(buffer, platform::toAnsi(text));
    // The send command (29) sends the string itself, and the send below sends it again.
    link_.PutCommand(buffer, data, DeviceLink::kAtEnd);
    link_.PutCommand(buffer, DeviceLink::kSend, DeviceLink::kAtEnd);
    return OPOS_SUCCESS;
}

}  // namespace pos::printer
