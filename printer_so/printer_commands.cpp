#include "printer_commands.h"

#include <array>
#include <vector>

#include "device_link.h"

namespace pos::printer {

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes printMode(const PrintSettings& s) {
    const auto a = static_cast<std::uint8_t>(s.FontB + 8 * s.Emphasized + 16 * s.DoubleHeight +
                                             32 * s.DoubleWidth + 128 * s.UnderlineOn);
    const auto b =
        static_cast<std::uint8_t>(4 * s.DoubleHeight + 8 * s.DoubleWidth + 128 * s.UnderlineOn);
    return {0x1B, 0x21, a, 0x1C, 0x21, b};
}

Bytes pageArea(PrintSettings& s) {
    const auto length = static_cast<std::uint32_t>(s.PageAreaUnits) * 28u;
    s.PageAreaLength = static_cast<std::uint16_t>(length & 0xFFFF);
    return {0x1B,
            0x57,
            0x00,
            0x00,
            0x00,
            0x00,
            0x00,
            0x02,
            static_cast<std::uint8_t>(length & 0xFF),
            static_cast<std::uint8_t>((length >> 8) & 0xFF)};
}

Bytes cut(const PrintSettings& s) {
    Bytes bytes{0x0A, 0x1D, 0x56, s.CutFunction};
    if (s.CutFunction == 0x42) bytes.push_back(s.CutFeed);
    return bytes;
}

Bytes characterSize(const PrintSettings& s) {
    return {0x1D, 0x21,
            static_cast<std::uint8_t>((s.VerticalScale << 4) + (s.HorizontalScale & 0x0F))};
}

Bytes commandBytes(PrintSettings& s, std::int32_t number) {
    switch (number) {
        case kPagePrint:
            return {0x0C};
        case kStatusQuery:
            return {0x10, 0x04, s.StatusRequest};
        case kPagePrintKeep:
            return {0x1B, 0x0C};
        case kPrintMode:
            return printMode(s);
        case kFeedDots:
            return {0x1B, 0x4A, s.FeedDotCount};
        case kPageModeStart:
            return {0x0A, 0x1B, 0x4C};
        case kPageDirection:
            return {0x1B, 0x54, s.PrintDirection};
        case kStandardModeStart:
            return {0x1B, 0x53};
        case kQuarterTurn:
            return {0x1B, 0x56, s.QuarterTurnMode};
        case kPageArea:
            return pageArea(s);
        case kJustify:
            return {0x1B, 0x61, s.Justification};
        case kUnderline:
            return {0x1B, 0x2D, s.UnderlineThickness};
        case kDefaultLineSpacing:
            return {0x1B, 0x32};
        case kLineSpacing:
            return {0x1B, 0x33, s.LineSpacingValue};
        case kInitialize:
            return {0x1B, 0x40};
        case kReverseVideo:
            return {0x1D, 0x42, s.ReverseOn};
        case kHriPosition:
            return {0x1D, 0x48, s.HriPlacement};
        case kLeftMargin:
            return {0x1D, 0x4C, s.LeftMarginLow, s.LeftMarginHigh};
        case kCut:
            return cut(s);
        case kAutoStatusBack:
            return {0x1D, 0x61, static_cast<std::uint8_t>(s.AsbEnabled != 0 ? 0x0F : 0x00)};
        case kBarCodeHeight:
            return {0x1D, 0x68, s.BarCodeHeightDots};
        case kBarCodePrint:
            return {0x1D, 0x6B};
        case kRasterImage:
            return {0x1D,
                    0x28,
                    0x76,
                    s.RasterMode,
                    s.RasterWidthLow,
                    s.RasterWidthHigh,
                    s.RasterHeightLow,
                    s.RasterHeightHigh};
        case kBarCodeWidth:
            return {0x1D, 0x77, s.BarCodeModuleWidth};
        case kCharacterSize:
            return characterSize(s);
        case kDefineImage:
            return {0x1D, 0x2A, s.DownloadWidth, s.DownloadHeight};
        case kPrintImage:
            return {0x1D, 0x2F, s.DownloadPrintMode};
        case kIdentify:
            return {0x1D, 0x28, 0x51};
        default:
            return {};
    }
}

bool honoursPlacement(std::int32_t number) {
    return number == kPageModeStart || number == kPageDirection || number == kPageArea;
}
}  // namespace

bool putPrinterCommand(PrintSettings& settings, CommandBuffer& buffer, std::int32_t number,
                       std::int32_t placement) {
    if (number < kFeedLines || number > kIdentify) return false;
    if (number == kFeedLines) {
        for (std::uint32_t i = 0; i < settings.FeedLineCount; ++i) buffer.appendByte(0x0A);
        return true;
    }
    const Bytes bytes = commandBytes(settings, number);
    if (honoursPlacement(number) && placement == DeviceLink::kAtFront) {
        buffer.prepend(bytes);
    } else {
        buffer.append(bytes);
    }
    return true;
}

}  // namespace pos::printer
