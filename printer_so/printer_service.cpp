#include "printer_service.h"

#include "component/bstr.h"
#include "opos_constants.h"
#include "printer_commands.h"
#include "wait_pumping.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
constexpr ComPort::Options kPrinterPortOptions{.purgeOnOpen = true, .recordRaw = true};
UsbLink::Options printerUsbOptions() {
    return {.ids = UsbIdSet::Printer, .announcePipeNames = true, .unknownProduct = {}};
}
}  // namespace

PrinterService::PrinterService(PrinterPlatform platform)
    : platform_(std::move(platform)),
      trace_(TraceLog::Options{.recordingHeader = true, .rawFile = true}, platform_.traceDirectory),
      comPort_(std::move(platform_.serial), trace_, kPrinterPortOptions),
      usbLink_(std::move(platform_.usb), printerUsbOptions()),
      // Until the first OpenService the device type is none: output goes nowhere and every
      // link operation reports success, so early calls never reach a device.
      link_(comPort_, usbLink_, state_.DeviceType, &state_.Pages,
            [this](CommandBuffer& buffer, std::int32_t number, std::int32_t placement) {
                return putPrinterCommand(state_.Settings, buffer, number, placement);
            }) {}

PrinterService::~PrinterService() {
    // The library is going: the status thread ends before anything it uses.
    asbThread_.CloseASBThread();
    comPort_.Close();
}

bool PrinterService::powerTestPasses() {
    return state_.DeviceType != kDeviceSerial || comPort_.IsCtsOn();
}

std::int32_t PrinterService::COFreezeEvents(std::int32_t) {
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::ClaimDevice(std::int32_t timeout) {
    trace_.Write("ClaimDevice:0x%x\n", static_cast<unsigned>(timeout));
    WaitPumping(*platform_.pump, static_cast<std::uint32_t>(timeout));
    if (powerTestPasses()) {
        state_.Claimed = true;
        trace_.Write("ClaimDevice:OPOS_SUCCESS\n");
        return OPOS_SUCCESS;
    }
    state_.Claimed = false;
    trace_.Write("ClaimDevice:OPOS_E_TIMEOUT\n");
    return OPOS_E_TIMEOUT;
}

std::int32_t PrinterService::ReleaseDevice() {
    trace_.Write("======ReleaseDevice======\n");
    link_.Close();
    state_.Claimed = false;
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::CloseService() {
    trace_.Write("======CloseService=====\n");
    // The control object may go away once closed: nothing may call it from the status thread.
    endStatusThread();
    eventTarget_ = nullptr;
    link_.Close();
    state_.Claimed = false;
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::refuse(const char* method) {
    trace_.Write("%s:Aways return OPOS_E_ILLEGAL\n", method);
    return OPOS_E_ILLEGAL;
}

std::int32_t PrinterService::BeginInsertion(std::int32_t) {
    return refuse("BeginInsertion");
}
std::int32_t PrinterService::BeginRemoval(std::int32_t) {
    return refuse("BeginRemoval");
}
std::int32_t PrinterService::EndInsertion() {
    return refuse("EndInsertion");
}
std::int32_t PrinterService::EndRemoval() {
    return refuse("EndRemoval");
}
std::int32_t PrinterService::PrintTwoNormal(std::int32_t, const String&, const String&) {
    return refuse("PrintTwoNormal");
}
std::int32_t PrinterService::SetLogo(std::int32_t, const String&) {
    return refuse("SetLogo");
}
std::int32_t PrinterService::ValidateData(std::int32_t, const String&) {
    return refuse("ValidateData");
}
std::int32_t PrinterService::ChangePrintSide(std::int32_t) {
    return refuse("ChangePrintSide");
}
std::int32_t PrinterService::MarkFeed(std::int32_t) {
    return refuse("MarkFeed");
}
std::int32_t PrinterService::ResetStatistics(const String&) {
    return refuse("ResetStatistics");
}
std::int32_t PrinterService::RetrieveStatistics(String&) {
    return refuse("RetrieveStatistics");
}
std::int32_t PrinterService::UpdateStatistics(const String&) {
    return refuse("UpdateStatistics");
}
std::int32_t PrinterService::CompareFirmwareVersion(const String&, LongOut&) {
    return refuse("CompareFirmwareVersion");
}
std::int32_t PrinterService::UpdateFirmware(const String&) {
    return refuse("UpdateFirmware");
}
std::int32_t PrinterService::ClearPrintArea() {
    return refuse("ClearPrintArea");
}
std::int32_t PrinterService::PageModePrint(std::int32_t) {
    return refuse("PageModePrint");
}
std::int32_t PrinterService::DrawRuledLine(std::int32_t, const String&, std::int32_t, std::int32_t,
                                           std::int32_t, std::int32_t) {
    return refuse("DrawRuledLine");
}

}  // namespace pos::printer
