#pragma once
// The printer service: one per loaded library, shared by every component instance. All OPOS
// results come back as the methods' return values; nothing throws across the component edge.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "com_port.h"
#include "component/dispatch_table.h"
#include "device_link.h"
#include "platform/com.h"
#include "platform/message_pump.h"
#include "platform/registry_store.h"
#include "platform/serial_port.h"
#include "platform/usb_devices.h"
#include "printer_state.h"
#include "status_flags.h"
#include "status_receiver.h"
#include "status_thread.h"
#include "trace_log.h"
#include "usb_link.h"

namespace pos::printer {

struct PrinterPlatform {
    std::unique_ptr<platform::SerialPort> serial;
    std::unique_ptr<platform::UsbDevices> usb;
    std::unique_ptr<platform::MessagePump> pump;
    // Opened per OpenService and closed before it returns; may give nullptr (no store).
    std::function<std::unique_ptr<platform::RegistryStore>()> openRegistry;
    std::string traceDirectory;  // empty: the host's current directory
    // Printing pictures from memory. The converter library: empty looks beside this library,
    // then through the system's search. Where each call makes its private folder: empty is the
    // system's folder for temporary files.
    std::string pictureConverter;
    std::string temporaryDirectory;
};

class PrinterService {
  public:
    explicit PrinterService(PrinterPlatform platform);
    PrinterService(const PrinterService&) = delete;
    PrinterService& operator=(const PrinterService&) = delete;
    ~PrinterService();

    using String = std::u16string;
    using LongOut = component::LongOut;

    std::int32_t COFreezeEvents(std::int32_t freeze);
    std::int32_t GetPropertyNumber(std::int32_t index);
    void SetPropertyNumber(std::int32_t index, std::int32_t number);
    String GetPropertyString(std::int32_t index);
    void SetPropertyString(std::int32_t index, const String& text);
    std::int32_t OpenService(const String& deviceClass, const String& deviceName,
                             IDispatch* target);
    std::int32_t CheckHealth(std::int32_t level);
    std::int32_t ClaimDevice(std::int32_t timeout);
    std::int32_t ClearOutput();
    std::int32_t CloseService();
    std::int32_t DirectIO(std::int32_t command, std::int32_t& data, String& text);
    std::int32_t ReleaseDevice();
    std::int32_t BeginInsertion(std::int32_t timeout);
    std::int32_t BeginRemoval(std::int32_t timeout);
    std::int32_t CutPaper(std::int32_t percentage);
    std::int32_t EndInsertion();
    std::int32_t EndRemoval();
    std::int32_t PrintBarCode(std::int32_t station, const String& data, std::int32_t symbology,
                              std::int32_t height, std::int32_t width, std::int32_t alignment,
                              std::int32_t textPosition);
    std::int32_t PrintBitmap(std::int32_t station, const String& fileName, std::int32_t width,
                             std::int32_t alignment);
    std::int32_t PrintImmediate(std::int32_t station, const String& data);
    std::int32_t PrintNormal(std::int32_t station, const String& data);
    std::int32_t PrintTwoNormal(std::int32_t stations, const String& data1, const String& data2);
    std::int32_t RotatePrint(std::int32_t station, std::int32_t rotation);
    std::int32_t SetBitmap(std::int32_t bitmapNumber, std::int32_t station, const String& fileName,
                           std::int32_t width, std::int32_t alignment);
    std::int32_t SetLogo(std::int32_t location, const String& data);
    std::int32_t TransactionPrint(std::int32_t station, std::int32_t control);
    std::int32_t ValidateData(std::int32_t station, const String& data);
    std::int32_t ChangePrintSide(std::int32_t side);
    std::int32_t MarkFeed(std::int32_t type);
    std::int32_t ResetStatistics(const String& statistics);
    std::int32_t RetrieveStatistics(String& statistics);
    std::int32_t UpdateStatistics(const String& statistics);
    std::int32_t CompareFirmwareVersion(const String& fileName, LongOut& result);
    std::int32_t UpdateFirmware(const String& fileName);
    std::int32_t ClearPrintArea();
    std::int32_t PageModePrint(std::int32_t control);
    std::int32_t PrintMemoryBitmap(std::int32_t station, const String& data, std::int32_t type,
                                   std::int32_t width, std::int32_t alignment);
    std::int32_t DrawRuledLine(std::int32_t station, const String& positionList,
                               std::int32_t lineDirection, std::int32_t lineWidth,
                               std::int32_t lineStyle, std::int32_t lineColor);

    // For tests and tools.
    const PrinterState& state() const { return state_; }
    TraceLog& trace() { return trace_; }
    IDispatch* eventTarget() const { return eventTarget_; }

  private:
    std::int32_t refuse(const char* method);
    void resetState();
    bool powerTestPasses();
    bool deviceCheckPasses();
    // Automatic status back and the status thread, started and stopped by DeviceEnabled.
    void ASBStart();
    void ASBStop();
    // Status monitoring (printer_status.cpp).
    bool StatusReport();
    bool ASBStatusReport();
    bool Fire_StatusUpdateEvent(std::int32_t status);
    void endStatusThread();

    PrinterPlatform platform_;
    TraceLog trace_;
    ComPort comPort_;
    UsbLink usbLink_;
    PrinterState state_;
    DeviceLink link_;
    IDispatch* eventTarget_ = nullptr;  // owned by the control object, which outlives us

    // Status monitoring: what the status answers and reports were decoded from and into, and
    // the status thread, declared last so that it ends before anything it uses.
    StatusFlags queryStatus_;
    StatusFlags asbStatus_;
    StatusBuffer statusBuffer_;
    StatusBuffer asbBuffer_;
    DISPID statusUpdateId_ = 0;
    AsbThread asbThread_{link_, trace_};
};

}  // namespace pos::printer
