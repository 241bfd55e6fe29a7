#pragma once
// The early-bound face of the dual IRPrinter interface, in type-library order.
#include "platform/com.h"

namespace pos::printer {

struct IRPrinter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE COFreezeEvents(BOOL Freeze, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyNumber(LONG PropIndex, LONG* pNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPropertyNumber(LONG PropIndex, LONG Number) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyString(LONG PropIndex, BSTR* pString) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPropertyString(LONG PropIndex, BSTR String) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenService(BSTR DeviceClass, BSTR DeviceName,
                                                  IDispatch* pDispatch, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckHealth(LONG Level, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClaimDevice(LONG Timeout, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearOutput(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseService(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE DirectIO(LONG Command, LONG* pData, BSTR* pString,
                                               LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseDevice(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginInsertion(LONG Timeout, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginRemoval(LONG Timeout, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE CutPaper(LONG Percentage, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndInsertion(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndRemoval(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintBarCode(LONG Station, BSTR Data, LONG Symbology,
                                                   LONG Height, LONG Width, LONG Alignment,
                                                   LONG TextPosition, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintBitmap(LONG Station, BSTR FileName, LONG Width,
                                                  LONG Alignment, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintImmediate(LONG Station, BSTR Data, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintNormal(LONG Station, BSTR Data, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintTwoNormal(LONG Stations, BSTR Data1, BSTR Data2,
                                                     LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE RotatePrint(LONG Station, LONG Rotation, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBitmap(LONG BitmapNumber, LONG Station, BSTR FileName,
                                                LONG Width, LONG Alignment, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLogo(LONG Location, BSTR Data, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE TransactionPrint(LONG Station, LONG Control, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidateData(LONG Station, BSTR Data, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangePrintSide(LONG Side, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE MarkFeed(LONG Type, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResetStatistics(BSTR StatisticsBuffer, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE RetrieveStatistics(BSTR* pStatisticsBuffer, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateStatistics(BSTR StatisticsBuffer, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareFirmwareVersion(BSTR FirmwareFileName, LONG* pResult,
                                                             LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateFirmware(BSTR FirmwareFileName, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearPrintArea(LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PageModePrint(LONG Control, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintMemoryBitmap(LONG Station, BSTR Data, LONG Type,
                                                        LONG Width, LONG Alignment, LONG* pRC) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawRuledLine(LONG Station, BSTR PositionList,
                                                    LONG LineDirection, LONG LineWidth,
                                                    LONG LineStyle, LONG LineColor, LONG* pRC) = 0;

  protected:
    ~IRPrinter() = default;
};

}  // namespace pos::printer
