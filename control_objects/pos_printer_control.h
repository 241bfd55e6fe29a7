#pragma once
// The POSPrinter control object: the standard members plus the printer's methods.
#include "control_object.h"
#include "opos_constants.h"

namespace pos::control {

class PosPrinterControl : public ControlObject {
  public:
    explicit PosPrinterControl(StoreOpener openStore)
        : ControlObject("POSPrinter", std::move(openStore)) {}

    std::int32_t PrintNormal(std::int32_t station, const std::u16string& data) {
        return callForResult("PrintNormal", {CallArg::number(station), CallArg::text(data)});
    }
    std::int32_t PrintImmediate(std::int32_t station, const std::u16string& data) {
        return callForResult("PrintImmediate", {CallArg::number(station), CallArg::text(data)});
    }
    std::int32_t CutPaper(std::int32_t percentage) {
        return callForResult("CutPaper", {CallArg::number(percentage)});
    }
    std::int32_t PrintBarCode(std::int32_t station, const std::u16string& data,
                              std::int32_t symbology, std::int32_t height, std::int32_t width,
                              std::int32_t alignment, std::int32_t textPosition) {
        return callForResult("PrintBarCode", {CallArg::number(station), CallArg::text(data),
                                              CallArg::number(symbology), CallArg::number(height),
                                              CallArg::number(width), CallArg::number(alignment),
                                              CallArg::number(textPosition)});
    }
    std::int32_t PrintBitmap(std::int32_t station, const std::u16string& file, std::int32_t width,
                             std::int32_t alignment) {
        return callForResult("PrintBitmap", {CallArg::number(station), CallArg::text(file),
                                             CallArg::number(width), CallArg::number(alignment)});
    }
    std::int32_t RotatePrint(std::int32_t station, std::int32_t rotation) {
        return callForResult("RotatePrint", {CallArg::number(station), CallArg::number(rotation)});
    }
    std::int32_t TransactionPrint(std::int32_t station, std::int32_t control) {
        return callForResult("TransactionPrint",
                             {CallArg::number(station), CallArg::number(control)});
    }
    std::int32_t ClearOutput() { return callForResult("ClearOutput", {}); }
    std::int32_t DirectIO(std::int32_t command, std::int32_t& data, std::u16string& text) {
        std::vector<CallArg> args{CallArg::number(command), CallArg::numberRef(data),
                                  CallArg::textRef(text)};
        const CallResult r = callService("DirectIO", args);
        data = std::get<std::int32_t>(args[1].value);
        text = std::get<std::u16string>(args[2].value);
        return r.number.value_or(opos::OPOS_E_FAILURE);
    }
    std::int32_t GetPropertyNumber(std::int32_t index) {
        std::vector<CallArg> args{CallArg::number(index)};
        return callService("GetPropertyNumber", args).number.value_or(0);
    }
    std::u16string GetPropertyString(std::int32_t index) {
        std::vector<CallArg> args{CallArg::number(index)};
        return callService("GetPropertyString", args).text.value_or(u"");
    }
    void SetPropertyNumber(std::int32_t index, std::int32_t value) {
        std::vector<CallArg> args{CallArg::number(index), CallArg::number(value)};
        callService("SetPropertyNumber", args);
    }
};

}  // namespace pos::control
