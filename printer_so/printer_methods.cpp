#include "printer_methods.h"

namespace pos::printer {

namespace {
using component::method;
using S = PrinterService;

constexpr component::Method<PrinterService> kMethods[] = {
    method<&S::COFreezeEvents>(1, "COFreezeEvents"),
    method<&S::GetPropertyNumber>(2, "GetPropertyNumber"),
    method<&S::SetPropertyNumber>(3, "SetPropertyNumber"),
    method<&S::GetPropertyString>(4, "GetPropertyString"),
    method<&S::SetPropertyString>(5, "SetPropertyString"),
    method<&S::OpenService>(6, "OpenService"),
    method<&S::CheckHealth>(7, "CheckHealth"),
    method<&S::ClaimDevice>(8, "ClaimDevice"),
    method<&S::ClearOutput>(9, "ClearOutput"),
    method<&S::CloseService>(10, "CloseService"),
    method<&S::DirectIO>(11, "DirectIO"),
    method<&S::ReleaseDevice>(12, "ReleaseDevice"),
    method<&S::BeginInsertion>(13, "BeginInsertion"),
    method<&S::BeginRemoval>(14, "BeginRemoval"),
    method<&S::CutPaper>(15, "CutPaper"),
    method<&S::EndInsertion>(16, "EndInsertion"),
    method<&S::EndRemoval>(17, "EndRemoval"),
    method<&S::PrintBarCode>(18, "PrintBarCode"),
    method<&S::PrintBitmap>(19, "PrintBitmap"),
    method<&S::PrintImmediate>(20, "PrintImmediate"),
    method<&S::PrintNormal>(21, "PrintNormal"),
    method<&S::PrintTwoNormal>(22, "PrintTwoNormal"),
    method<&S::RotatePrint>(23, "RotatePrint"),
    method<&S::SetBitmap>(24, "SetBitmap"),
    method<&S::SetLogo>(25, "SetLogo"),
    method<&S::TransactionPrint>(26, "TransactionPrint"),
    method<&S::ValidateData>(27, "ValidateData"),
    method<&S::ChangePrintSide>(28, "ChangePrintSide"),
    method<&S::MarkFeed>(29, "MarkFeed"),
    method<&S::ResetStatistics>(30, "ResetStatistics"),
    method<&S::RetrieveStatistics>(31, "RetrieveStatistics"),
    method<&S::UpdateStatistics>(32, "UpdateStatistics"),
    method<&S::CompareFirmwareVersion>(33, "CompareFirmwareVersion"),
    method<&S::UpdateFirmware>(34, "UpdateFirmware"),
    method<&S::ClearPrintArea>(35, "ClearPrintArea"),
    method<&S::PageModePrint>(36, "PageModePrint"),
    method<&S::PrintMemoryBitmap>(37, "PrintMemoryBitmap"),
    method<&S::DrawRuledLine>(38, "DrawRuledLine"),
};
}  // namespace

std::span<const component::Method<PrinterService>> printerMethods() {
    return kMethods;
}

}  // namespace pos::printer
