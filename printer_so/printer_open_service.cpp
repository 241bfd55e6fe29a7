#include <chrono>
#include <cstring>
#include <thread>

#include "component/bstr.h"
#include "opos_constants.h"
#include "printer_code_pages.h"
#include "printer_commands.h"
#include "printer_configuration.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
constexpr std::uint32_t kOptionTrace = 0x10;

// Trace text is 8-bit; characters outside Latin-1 show as '?'.
std::string traceText(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}
}  // namespace

void PrinterService::resetState() {
    state_.Claimed = false;
    state_.Pages.active = false;
    state_.Pages.buffer.clear();
    state_.RotateCallCount = 0;  // an open rotated page is dropped unsent
    state_.PaperWidth = 3;
    state_.RecLineChars = 48;
    state_.RecLineWidth = 576;
    state_.Settings = PrintSettings{};

    // Property defaults. DeviceEnabled, CheckHealthText and CurrentStatus carry over.
    state_.FreezeEvents = false;
    state_.PowerNotify = 0;
    state_.CapPowerReporting = 1;
    state_.BinaryConversion = 0;
    state_.AsyncMode = false;
    state_.CharacterSet = 437;
    state_.MapMode = 1;
    state_.RecLetterQuality = false;
    state_.RecLineHeight = 24;
    state_.RecLineSpacing = 30;
    state_.RecLinesToPaperCut = 4;
    state_.RecSidewaysMaxChars = 82;
    state_.RecSidewaysMaxLines = 19;
    state_.RotateSpecial = 1;
    state_.SupportedCodePages = {kSupportedCodePages.begin(), kSupportedCodePages.end()};
}

bool PrinterService::deviceCheckPasses() {
    // Only a powered serial printer is asked who it is.
    if (state_.DeviceType == kDeviceUsb || !powerTestPasses()) return true;
    CommandBuffer request;
    link_.PutCommand(request, kIdentify, DeviceLink::kAtEnd);
    link_.PutCommand(request, DeviceLink::kSend, DeviceLink::kAtEnd);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::uint8_t length = 0;
    link_.Read(&length, 1);
    // A length byte above 127 reads as negative and asks for nothing; the reply is cut to the
    // buffer whatever length the printer claims.
    constexpr std::int32_t kReplyRoom = 29;
    std::uint8_t reply[kReplyRoom] = {};
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): the length byte is signed on purpose.
    const auto claimed = static_cast<std::int32_t>(static_cast<std::int8_t>(length));
    link_.Read(reply, claimed < kReplyRoom ? claimed : kReplyRoom);
    for (const char* model : kModelList) {
        if (std::memcmp(reply, model, 8) == 0) return true;
    }
    return false;
}

std::int32_t PrinterService::OpenService(const String& deviceClass, const String& deviceName,
                                         IDispatch* target) {
    // The status thread uses the event target and the port about to be replaced.
    endStatusThread();
    eventTarget_ = target;
    resetState();

    // A thread already in an apartment of this kind answers S_FALSE, which is fine.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrinterConfiguration config;
    if (SUCCEEDED(init)) {
        auto store = platform_.openRegistry ? platform_.openRegistry() : nullptr;
        config = readPrinterConfiguration(store.get());
    }

    state_.DeviceType = config.deviceType;
    state_.PaperWidth = config.paperWidth;
    state_.RecLineChars = config.paperWidth == 2 ? 32 : 48;
    state_.RecLineWidth = config.paperWidth == 2 ? 384 : 576;
    state_.DeviceID = config.deviceId;
    // Once on, tracing stays on for the life of the library.
    if ((config.option & kOptionTrace) != 0) trace_.setEnabled(true);

    trace_.Write("OpenService:\nDeviceClass:%s,DeviceName:%s\n", traceText(deviceClass).c_str(),
                 traceText(deviceName).c_str());

    bool opened = false;
    if (SUCCEEDED(init)) {
        if (state_.DeviceType == kDeviceUsb) {
            trace_.Write("OpenService:Using USB Port!\n");
            opened = link_.OpenUsb(state_.DeviceID);
        } else if (state_.DeviceType == kDeviceSerial) {
            const SerialSettings& s = config.serial;
            trace_.Write("OpenService:Using COM Port!\n");
            trace_.Write("%s, BaudRate:%d, Parity:%d, DataLength:%d, StopBit:%d, FlowControl:%d\n",
                         s.PortName.c_str(), s.BaudRate, s.Parity, s.DataLength, s.StopBits,
                         s.FlowControl);
            opened = link_.OpenSerial(s);
        }
    }
    if (!opened) {
        trace_.Write("OpenService:Initial interface fail!\n");
        return OPOS_E_ILLEGAL;
    }
    if (!deviceCheckPasses()) {
        trace_.Write("OpenService:Check device fail!\n");
        return OPOS_E_ILLEGAL;
    }
    CommandBuffer start;
    link_.PutCommand(start, kCharacterSize, DeviceLink::kAtEnd);
    link_.PutCommand(start, kAutoStatusBack, DeviceLink::kAtEnd);
    link_.PutCommand(start, DeviceLink::kSend, DeviceLink::kAtEnd);
    return OPOS_SUCCESS;
}

}  // namespace pos::printer
