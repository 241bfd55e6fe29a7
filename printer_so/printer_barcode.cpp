// Barcodes.
#include <algorithm>

#include "barcode_rules.h"
#include "opos_constants.h"
#include "platform/ansi_text.h"
#include "printer_commands.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::PrintBarCode(std::int32_t station, const String& data,
                                          std::int32_t symbology, std::int32_t height,
                                          std::int32_t width, std::int32_t alignment,
                                          std::int32_t textPosition) {
    const std::string text = platform::toAnsi(data);
    trace_.Write(
        "PrintBarCode:\t\tStation:0x%x,\t\tData:%s,\t\tSymbology:0x%x,\t\tHeight:0x%x,\t\t"
        "Width:0x%x,\t\tAlignment:0x%x,\t\tTextPosition:0x%x\n",
        static_cast<unsigned>(station), text.c_str(), static_cast<unsigned>(symbology),
        static_cast<unsigned>(height), static_cast<unsigned>(width),
        static_cast<unsigned>(alignment), static_cast<unsigned>(textPosition));
    const auto fail = [this](const char* item) {
        trace_.Write("PrintBarCode:%s fail!:OPOS_E_ILLEGAL\n", item);
        return OPOS_E_ILLEGAL;
    };
    if (station != PTR_S_RECEIPT) return fail("Station");

    CommandBuffer out;
    const std::vector<std::uint8_t> symbol = barcode::symbolBytes(symbology, text);
    if (symbol.empty()) return fail("BarCodeParser");

    // Each setting stays as set even when a later argument is refused: later text is printed
    // with the alignment already chosen.
    PrintSettings& settings = state_.Settings;
    const auto justification = barcode::justificationFor(alignment);
    if (!justification) return fail("Alignment");
    settings.Justification = *justification;
    link_.PutCommand(out, kJustify, DeviceLink::kAtEnd);

    const auto hri = barcode::hriPlacementFor(textPosition);
    if (!hri) return fail("TextPosition");
    settings.HriPlacement = *hri;
    link_.PutCommand(out, kHriPosition, DeviceLink::kAtEnd);

    if (!barcode::heightAccepted(height)) return fail("Height");
    settings.BarCodeHeightDots = static_cast<std::uint8_t>(height);
    link_.PutCommand(out, kBarCodeHeight, DeviceLink::kAtEnd);
    settings.BarCodeModuleWidth = barcode::kModuleWidth;
    link_.PutCommand(out, kBarCodeWidth, DeviceLink::kAtEnd);
    link_.PutCommand(out, kBarCodePrint, DeviceLink::kAtEnd);
    out.append(symbol);

    if (state_.Pages.active) {
        if (const auto units = barcode::pageUnitsForWidth(width)) {
            settings.PageAreaUnits = std::max(settings.PageAreaUnits, *units);
        }
    }
    link_.PutCommand(out, DeviceLink::kSend, DeviceLink::kAtEnd);
    return OPOS_SUCCESS;
}

}  // namespace pos::printer
