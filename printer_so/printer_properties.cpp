#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
constexpr std::int32_t kServiceObjectVersion = 1013001;
constexpr std::int32_t kPowerOnline = 2001;
constexpr std::int32_t kPowerOffline = 2003;
constexpr std::int32_t kDeviceEnabledAnswer = 103;
constexpr std::int32_t PIDX_PowerState = 14;
constexpr std::int32_t PIDXPtr_RecLineChars = 8016;
constexpr std::int32_t PIDXPtr_RecLineWidth = 8020;
}  // namespace

std::int32_t PrinterService::GetPropertyNumber(std::int32_t index) {
    trace_.Write("GetPropertyNumber:PropIndex:0x%x\n", static_cast<unsigned>(index));
    std::int32_t answer = 0;
    switch (index) {
        case PIDX_Claimed: answer = state_.Claimed ? 1 : 0; break;
        case PIDX_DeviceEnabled: answer = state_.DeviceEnabled ? kDeviceEnabledAnswer : 0; break;
        case PIDX_ServiceObjectVersion: answer = kServiceObjectVersion; break;
        case PIDX_PowerState: answer = powerTestPasses() ? kPowerOnline : kPowerOffline; break;
        case PIDXPtr_RecLineChars: answer = state_.RecLineChars; break;
        case PIDXPtr_RecLineWidth: answer = state_.RecLineWidth; break;
        default: break;
    }
    trace_.Write("return pNumber:0x%x\n", static_cast<unsigned>(answer));
    return answer;
}

void PrinterService::SetPropertyNumber(std::int32_t index, std::int32_t number) {
    trace_.Write("SetPropertyNumber:0x%x\n", static_cast<unsigned>(index));
    if (index == PIDX_DeviceEnabled) {
        trace_.Write(":%s:0x%x\n", "PIDXDisp_DeviceEnabled", static_cast<unsigned>(number));
        state_.DeviceEnabled = number != 0;
        if (state_.DeviceEnabled) {
            ASBStart();
        } else {
            ASBStop();
        }
    }
}

PrinterService::String PrinterService::GetPropertyString(std::int32_t index) {
    trace_.Write("GetPropertyString:PropIndex:0x%x\n", static_cast<unsigned>(index));
    String answer = u"EMPTY";
    trace_.Write("return pString:%s\n", "EMPTY");
    return answer;
}

void PrinterService::SetPropertyString(std::int32_t index, const String&) {
    trace_.Write("SetPropertyString:0x%x\n", static_cast<unsigned>(index));
}

}  // namespace pos::printer
