#pragma once
// The printer's command table: the bytes of commands 0 to 28, built from the print settings.
#include <cstdint>

#include "command_buffer.h"
#include "print_settings.h"

namespace pos::printer {

enum PrinterCommand : std::int32_t {
    kFeedLines = 0,
    kPagePrint = 1,
    kStatusQuery = 2,
    kPagePrintKeep = 3,
    kPrintMode = 4,
    kFeedDots = 5,
    kPageModeStart = 6,
    kPageDirection = 7,
    kStandardModeStart = 8,
    kQuarterTurn = 9,
    kPageArea = 10,
    kJustify = 11,
    kUnderline = 12,
    kDefaultLineSpacing = 13,
    kLineSpacing = 14,
    kInitialize = 15,
    kReverseVideo = 16,
    kHriPosition = 17,
    kLeftMargin = 18,
    kCut = 19,
    kAutoStatusBack = 20,
    kBarCodeHeight = 21,
    kBarCodePrint = 22,
    kRasterImage = 23,
    kBarCodeWidth = 24,
    kCharacterSize = 25,
    kDefineImage = 26,
    kPrintImage = 27,
    kIdentify = 28,
};

// Adds the bytes of command number (0..28) to buffer; commands 6, 7 and 10 go in front when
// placement is 30. False for any other number. Command 10 also records PageAreaLength.
bool putPrinterCommand(PrintSettings& settings, CommandBuffer& buffer, std::int32_t number,
                       std::int32_t placement);

}  // namespace pos::printer
