#pragma once
// The parameters the printer's commands are built from.
#include <cstdint>

namespace pos::printer {

struct PrintSettings {
    std::uint8_t PrintDirection = 0;
    std::uint8_t QuarterTurnMode = 0;
    std::uint8_t Justification = 0;
    std::uint8_t UnderlineThickness = 0;
    std::uint8_t LineSpacingValue = 7;
    std::uint8_t ReverseOn = 0;
    std::uint8_t HriPlacement = 0;
    std::uint8_t LeftMarginLow = 0;
    std::uint8_t LeftMarginHigh = 0;
    std::uint8_t CutFunction = 1;
    std::uint8_t CutFeed = 1;
    std::uint8_t VerticalScale = 0;
    std::uint8_t HorizontalScale = 0;
    std::uint8_t BarCodeHeightDots = 162;
    std::uint8_t RasterMode = 0x30;
    std::uint8_t RasterWidthLow = 0;
    std::uint8_t RasterWidthHigh = 0;
    std::uint8_t RasterHeightLow = 0;
    std::uint8_t RasterHeightHigh = 0;
    std::uint8_t BarCodeModuleWidth = 3;
    std::uint32_t FeedLineCount = 3;
    std::uint8_t FontB = 0;
    std::uint8_t Emphasized = 0;
    std::uint8_t DoubleHeight = 0;
    std::uint8_t DoubleWidth = 0;
    std::uint8_t UnderlineOn = 0;
    std::uint8_t DownloadWidth = 0;
    std::uint8_t DownloadHeight = 0;
    std::uint8_t DownloadPrintMode = 0;
    std::uint8_t FeedDotCount = 11;
    std::uint16_t PageAreaLength = 0x067E;
    std::uint8_t StatusRequest = 0;
    // Filled with 0xFF by the reset and given no value of its own, so automatic status back
    // starts wanted.
    std::uint8_t AsbEnabled = 0xFF;

    std::int32_t PageAreaUnits = 0;
};

}  // namespace pos::printer
