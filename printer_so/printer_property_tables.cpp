#include "printer_property_tables.h"

#include <algorithm>
#include <iterator>

namespace pos::printer {

namespace {

constexpr std::int32_t kDeviceEnabledAnswer = 103;
constexpr std::int32_t kPowerOnline = 2001;   // PS_ONLINE
constexpr std::int32_t kPowerOffline = 2003;  // PS_OFFLINE
constexpr std::int32_t kMapModeDots = 1;      // PTR_MM_DOTS, the only map mode

template <std::int32_t Value>
std::int32_t constant(PropertyHost&) {
    return Value;
}

template <auto Field>
std::int32_t field(PropertyHost& host) {
    return static_cast<std::int32_t>(host.state.*Field);
}

template <auto Flag>
std::int32_t status(PropertyHost& host) {
    return static_cast<std::int32_t>(host.state.CurrentStatus.*Flag);
}

std::int32_t deviceEnabled(PropertyHost& host) {
    return host.state.DeviceEnabled ? kDeviceEnabledAnswer : 0;
}

std::int32_t powerState(PropertyHost& host) {
    return host.powerTestPasses() ? kPowerOnline : kPowerOffline;
}

std::int32_t errorStation(PropertyHost& host) {
    return host.state.CurrentStatus.Online == 0 ? 1 : 0;
}

using S = PrinterState;
using P = PrinterStatus;

constexpr NumberRead kNumberReads[] = {
    {1, "PIDX_Claimed", field<&S::Claimed>},
    {3, "PIDX_DeviceEnabled", deviceEnabled},
    {4, "PIDX_FreezeEvents", field<&S::FreezeEvents>},
    {5, "PIDX_OutputID", constant<0>},
    {7, "PIDX_ResultCodeExtended", constant<0>},
    {8, "PIDX_ServiceObjectVersion", constant<1013001>},
    {11, "PIDX_BinaryConversion", field<&S::BinaryConversion>},
    {13, "PIDX_PowerNotify", field<&S::PowerNotify>},
    {14, "PIDX_PowerState", powerState},
    {501, "PIDX_CapPowerReporting", field<&S::CapPowerReporting>},
    {502, "PIDX_CapStatisticsReporting", constant<0>},
    {503, "PIDX_CapUpdateStatistics", constant<0>},
    {504, "PIDX_CapCompareFirmwareVersion", constant<0>},
    {505, "PIDX_CapUpdateFirmware", constant<0>},
    {8001, "PIDXPtr_AsyncMode", field<&S::AsyncMode>},
    {8002, "PIDXPtr_CharacterSet", field<&S::CharacterSet>},
    {8003, "PIDXPtr_CoverOpen", status<&P::CoverOpen>},
    {8004, "PIDXPtr_ErrorStation", errorStation},
    {8005, "PIDXPtr_FlagWhenIdle", constant<0>},
    {8013, "PIDXPtr_MapMode", field<&S::MapMode>},
    {8014, "PIDXPtr_RecEmpty", status<&P::PaperEnd>},
    {8015, "PIDXPtr_RecLetterQuality", field<&S::RecLetterQuality>},
    {8016, "PIDXPtr_RecLineChars", field<&S::RecLineChars>},
    {8017, "PIDXPtr_RecLineHeight", field<&S::RecLineHeight>},
    {8018, "PIDXPtr_RecLineSpacing", field<&S::RecLineSpacing>},
    {8019, "PIDXPtr_RecLinesToPaperCut", field<&S::RecLinesToPaperCut>},
    {8020, "PIDXPtr_RecLineWidth", field<&S::RecLineWidth>},
    {8021, "PIDXPtr_RecNearEnd", status<&P::PaperNearEnd>},
    {8022, "PIDXPtr_RecSidewaysMaxChars", field<&S::RecSidewaysMaxChars>},
    {8023, "PIDXPtr_RecSidewaysMaxLines", field<&S::RecSidewaysMaxLines>},
    {8035, "PIDXPtr_ErrorLevel", constant<1>},  // PTR_EL_NONE
    {8036, "PIDXPtr_RotateSpecial", field<&S::RotateSpecial>},
    {8037, "PIDXPtr_CartridgeNotify", constant<0>},
    {8040, "PIDXPtr_RecCartridgeState", constant<0x10000000>},  // PTR_CART_OK
    // Named twice in the trace, deliberately: existing trace readers expect both lines.
    {8041, "PIDXPtr_RecCurrentCartridge", constant<1>, 2},  // PTR_COLOR_PRIMARY
    {8504, "PIDXPtr_CapCoverSensor", constant<1>},
    {8515, "PIDXPtr_CapRec2Color", constant<0>},
    {8516, "PIDXPtr_CapRecBarCode", constant<1>},
    {8517, "PIDXPtr_CapRecBitmap", constant<1>},
    {8518, "PIDXPtr_CapRecBold", constant<1>},
    {8519, "PIDXPtr_CapRecDhigh", constant<1>},
    {8520, "PIDXPtr_CapRecDwide", constant<1>},
    {8521, "PIDXPtr_CapRecDwideDhigh", constant<1>},
    {8522, "PIDXPtr_CapRecEmptySensor", constant<1>},
    {8523, "PIDXPtr_CapRecItalic", constant<0>},
    {8524, "PIDXPtr_CapRecLeft90", constant<1>},
    {8525, "PIDXPtr_CapRecNearEndSensor", constant<1>},
    {8526, "PIDXPtr_CapRecPapercut", constant<1>},
    {8527, "PIDXPtr_CapRecPresent", constant<1>},
    {8528, "PIDXPtr_CapRecRight90", constant<1>},
    {8529, "PIDXPtr_CapRecRotate180", constant<1>},
    {8530, "PIDXPtr_CapRecStamp", constant<0>},
    {8531, "PIDXPtr_CapRecUnderline", constant<1>},
    {8548, "PIDXPtr_CapCharacterSet", constant<998>},  // PTR_CCS_ASCII
    {8549, "PIDXPtr_CapTransaction", constant<1>},
    {8552, "PIDXPtr_CapRecCartridgeSensor", constant<0>},
    {8553, "PIDXPtr_CapRecColor", constant<1>},  // PTR_COLOR_PRIMARY
    {8554, "PIDXPtr_CapRecMarkFeed", constant<0>},
    {8558, "PIDXPtr_CapMapCharacterSet", constant<0>},
    {8559, "PIDXPtr_CapConcurrentPageMode", constant<0>},
    {8560, "PIDXPtr_CapRecPageMode", constant<0>},
};

template <auto Field>
void store(PropertyHost& host, std::int32_t number) {
    host.state.*Field = number;
}

template <auto Flag>
void storeFlag(PropertyHost& host, std::int32_t number) {
    host.state.*Flag = number != 0;
}

// Neither Claimed nor the current value is looked at: a repeated write starts or stops again.
void storeDeviceEnabled(PropertyHost& host, std::int32_t number) {
    host.state.DeviceEnabled = number != 0;
    host.switchStatusMonitoring(number != 0);
}

void storeCharacterSet(PropertyHost& host, std::int32_t number) {
    if (host.state.SupportedCodePages.contains(number)) host.state.CharacterSet = number;
}

void storeMapMode(PropertyHost& host, std::int32_t) {
    host.state.MapMode = kMapModeDots;
}

using enum WriteTrace;

constexpr NumberWrite kNumberWrites[] = {
    {3, "PIDXDisp_DeviceEnabled", Hex, storeDeviceEnabled},
    {4, "PIDX_FreezeEvents", Hex, storeFlag<&S::FreezeEvents>},
    {11, "PIDX_BinaryConversion", Hex, nullptr},
    {13, "PIDX_PowerNotify", Hex, store<&S::PowerNotify>},
    {8001, "PIDXPtr_AsyncMode", Hex, storeFlag<&S::AsyncMode>},
    {8002, "PIDXPtr_CharacterSet", Decimal, storeCharacterSet},
    {8013, "PIDXPtr_MapMode", Hex, storeMapMode},
    {8015, "PIDXPtr_RecLetterQuality", Hex, storeFlag<&S::RecLetterQuality>},
    {8016, "PIDXPtr_RecLineChars", Hex, store<&S::RecLineChars>},
    {8017, "PIDXPtr_RecLineHeight", None, store<&S::RecLineHeight>},
    {8018, "PIDXPtr_RecLineSpacing", Hex, store<&S::RecLineSpacing>},
    {8036, "PIDXPtr_RotateSpecial", Hex, store<&S::RotateSpecial>},
    {8041, "PIDXPtr_RecCurrentCartridge", Hex, nullptr},
};

std::string checkHealthText(PropertyHost& host) {
    host.runInteractiveHealthCheck();
    return host.state.CheckHealthText;
}

constexpr StringRead kStringReads[] = {
    {1000001, "PIDX_CheckHealthText", nullptr, checkHealthText},
    {1000002, "PIDX_DeviceDescription", "KVX POS Printer"},
    {1000003, "PIDX_DeviceName", "KVX"},
    {1000004, "PIDX_ServiceObjectDescription", "POS Printer OPOS Service Object."},
    {1008001, "PIDXPtr_CharacterSetList",
     "437,737,850,851,852,855,857,858,860,861,862,863,864,865,866,869,928,1250,1251,1252,1253,"
     "1257,3843,3844,3845,3846"},
    {1008003, "PIDXPtr_RecLineCharsList", "32,42,16", nullptr, false},
    {1008005, "PIDXPtr_ErrorString", ""},
    {1008006, "PIDXPtr_FontTypefaceList", ""},
    {1008007, "PIDXPtr_RecBarCodeRotationList", "0,R90,L90,180"},
    {1008009, "PIDXPtr_RecBitmapRotationList", ""},
    {1008011, "PIDXPtr_PageModeArea", ""},
    {1008012, "PIDXPtr_PageModePrintArea", ""},
};

template <typename Row, std::size_t N>
const Row* find(const Row (&rows)[N], std::int32_t index) {
    const auto it = std::find_if(std::begin(rows), std::end(rows),
                                 [index](const Row& row) { return row.index == index; });
    return it == std::end(rows) ? nullptr : &*it;
}

}  // namespace

const NumberRead* findNumberRead(std::int32_t index) {
    return find(kNumberReads, index);
}
const NumberWrite* findNumberWrite(std::int32_t index) {
    return find(kNumberWrites, index);
}
const StringRead* findStringRead(std::int32_t index) {
    return find(kStringReads, index);
}

}  // namespace pos::printer
