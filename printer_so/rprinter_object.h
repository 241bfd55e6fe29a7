#pragma once
// The component class: holds only its reference count; every call goes to the module's one
// printer service through the dispatch table.
#include "component/dispatch_object.h"
#include "irprinter.h"
#include "printer_identity.h"
#include "printer_methods.h"
#include "printer_service.h"

namespace pos::printer {

class RPrinterObject final
    : public component::DispatchObject<RPrinterObject, IRPrinter, PrinterService> {
  public:
    RPrinterObject(IUnknown* outer, PrinterService& service) : DispatchObject(outer, service) {}

    static std::span<const component::Method<PrinterService>> methods() { return printerMethods(); }
    static const GUID& interfaceId() { return kIidIRPrinter; }
    static ITypeInfo* typeInfo();

    // clang-format off
    HRESULT STDMETHODCALLTYPE COFreezeEvents(BOOL a, LONG* rc) override { return call(1, a, rc); }
    HRESULT STDMETHODCALLTYPE GetPropertyNumber(LONG a, LONG* rc) override { return call(2, a, rc); }
    HRESULT STDMETHODCALLTYPE SetPropertyNumber(LONG a, LONG b) override { return call(3, a, b); }
    HRESULT STDMETHODCALLTYPE GetPropertyString(LONG a, BSTR* rc) override { return call(4, a, rc); }
    HRESULT STDMETHODCALLTYPE SetPropertyString(LONG a, BSTR b) override { return call(5, a, b); }
    HRESULT STDMETHODCALLTYPE OpenService(BSTR a, BSTR b, IDispatch* c, LONG* rc) override { return call(6, a, b, c, rc); }
    HRESULT STDMETHODCALLTYPE CheckHealth(LONG a, LONG* rc) override { return call(7, a, rc); }
    HRESULT STDMETHODCALLTYPE ClaimDevice(LONG a, LONG* rc) override { return call(8, a, rc); }
    HRESULT STDMETHODCALLTYPE ClearOutput(LONG* rc) override { return call(9, rc); }
    HRESULT STDMETHODCALLTYPE CloseService(LONG* rc) override { return call(10, rc); }
    HRESULT STDMETHODCALLTYPE DirectIO(LONG a, LONG* b, BSTR* c, LONG* rc) override { return call(11, a, b, c, rc); }
    HRESULT STDMETHODCALLTYPE ReleaseDevice(LONG* rc) override { return call(12, rc); }
    HRESULT STDMETHODCALLTYPE BeginInsertion(LONG a, LONG* rc) override { return call(13, a, rc); }
    HRESULT STDMETHODCALLTYPE BeginRemoval(LONG a, LONG* rc) override { return call(14, a, rc); }
    HRESULT STDMETHODCALLTYPE CutPaper(LONG a, LONG* rc) override { return call(15, a, rc); }
    HRESULT STDMETHODCALLTYPE EndInsertion(LONG* rc) override { return call(16, rc); }
    HRESULT STDMETHODCALLTYPE EndRemoval(LONG* rc) override { return call(17, rc); }
    HRESULT STDMETHODCALLTYPE PrintBarCode(LONG a, BSTR b, LONG c, LONG d, LONG e, LONG f, LONG g, LONG* rc) override { return call(18, a, b, c, d, e, f, g, rc); }
    HRESULT STDMETHODCALLTYPE PrintBitmap(LONG a, BSTR b, LONG c, LONG d, LONG* rc) override { return call(19, a, b, c, d, rc); }
    HRESULT STDMETHODCALLTYPE PrintImmediate(LONG a, BSTR b, LONG* rc) override { return call(20, a, b, rc); }
    HRESULT STDMETHODCALLTYPE PrintNormal(LONG a, BSTR b, LONG* rc) override { return call(21, a, b, rc); }
    HRESULT STDMETHODCALLTYPE PrintTwoNormal(LONG a, BSTR b, BSTR c, LONG* rc) override { return call(22, a, b, c, rc); }
    HRESULT STDMETHODCALLTYPE RotatePrint(LONG a, LONG b, LONG* rc) override { return call(23, a, b, rc); }
    HRESULT STDMETHODCALLTYPE SetBitmap(LONG a, LONG b, BSTR c, LONG d, LONG e, LONG* rc) override { return call(24, a, b, c, d, e, rc); }
    HRESULT STDMETHODCALLTYPE SetLogo(LONG a, BSTR b, LONG* rc) override { return call(25, a, b, rc); }
    HRESULT STDMETHODCALLTYPE TransactionPrint(LONG a, LONG b, LONG* rc) override { return call(26, a, b, rc); }
    HRESULT STDMETHODCALLTYPE ValidateData(LONG a, BSTR b, LONG* rc) override { return call(27, a, b, rc); }
    HRESULT STDMETHODCALLTYPE ChangePrintSide(LONG a, LONG* rc) override { return call(28, a, rc); }
    HRESULT STDMETHODCALLTYPE MarkFeed(LONG a, LONG* rc) override { return call(29, a, rc); }
    HRESULT STDMETHODCALLTYPE ResetStatistics(BSTR a, LONG* rc) override { return call(30, a, rc); }
    HRESULT STDMETHODCALLTYPE RetrieveStatistics(BSTR* a, LONG* rc) override { return call(31, a, rc); }
    HRESULT STDMETHODCALLTYPE UpdateStatistics(BSTR a, LONG* rc) override { return call(32, a, rc); }
    HRESULT STDMETHODCALLTYPE CompareFirmwareVersion(BSTR a, LONG* b, LONG* rc) override { return call(33, a, b, rc); }
    HRESULT STDMETHODCALLTYPE UpdateFirmware(BSTR a, LONG* rc) override { return call(34, a, rc); }
    HRESULT STDMETHODCALLTYPE ClearPrintArea(LONG* rc) override { return call(35, rc); }
    HRESULT STDMETHODCALLTYPE PageModePrint(LONG a, LONG* rc) override { return call(36, a, rc); }
    HRESULT STDMETHODCALLTYPE PrintMemoryBitmap(LONG a, BSTR b, LONG c, LONG d, LONG e, LONG* rc) override { return call(37, a, b, c, d, e, rc); }
    HRESULT STDMETHODCALLTYPE DrawRuledLine(LONG a, BSTR b, LONG c, LONG d, LONG e, LONG f, LONG* rc) override { return call(38, a, b, c, d, e, f, rc); }
    // clang-format on
};

}  // namespace pos::printer
