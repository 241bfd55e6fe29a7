#pragma once
// The printer service object's module-wide record.
#include <atomic>
#include <cstdint>
#include <set>
#include <string>

#include "device_link.h"
#include "print_settings.h"
#include "status_flags.h"

namespace pos::printer {

// What the printer last reported about itself; each flag is 0 or 1. The status thread writes
// the flags while property reads on the application's thread read them, so each is atomic (and
// still reads as a plain byte).
struct PrinterStatus {
    std::atomic<std::uint8_t> Cashdrawer{1};
    std::atomic<std::uint8_t> Online{1};
    std::atomic<std::uint8_t> CoverOpen{0};
    std::atomic<std::uint8_t> FeedButton{0};
    std::atomic<std::uint8_t> AutoCutter{0};
    std::atomic<std::uint8_t> Unrecoverable{0};
    std::atomic<std::uint8_t> Autorecoverable{0};
    std::atomic<std::uint8_t> PaperNearEnd{0};
    std::atomic<std::uint8_t> PaperEnd{0};

    // Flag by flag: a concurrent reader may see some flags old and some new.
    PrinterStatus& operator=(const StatusFlags& flags) {
        Cashdrawer = flags.Cashdrawer;
        Online = flags.Online;
        CoverOpen = flags.CoverOpen;
        FeedButton = flags.FeedButton;
        AutoCutter = flags.AutoCutter;
        Unrecoverable = flags.Unrecoverable;
        Autorecoverable = flags.Autorecoverable;
        PaperNearEnd = flags.PaperNearEnd;
        PaperEnd = flags.PaperEnd;
        return *this;
    }
    StatusFlags flags() const {
        return {Cashdrawer,    Online,          CoverOpen,    FeedButton, AutoCutter,
                Unrecoverable, Autorecoverable, PaperNearEnd, PaperEnd};
    }
};

struct PrinterState {
    // Lifecycle flags: stored and reported, never checked before work.
    bool Claimed = false;
    bool DeviceEnabled = false;

    // Configuration from the device entry.
    std::int32_t DeviceType = kDeviceNone;
    std::uint16_t DeviceID = 0;
    std::int32_t PaperWidth = 3;
    std::int32_t RecLineChars = 0;
    std::int32_t RecLineWidth = 0;

    // Properties: zero until the first OpenService sets their defaults; stored and reported.
    bool FreezeEvents = false;
    std::int32_t PowerNotify = 0;
    std::int32_t CapPowerReporting = 0;
    std::int32_t BinaryConversion = 0;
    bool AsyncMode = false;
    std::int32_t CharacterSet = 0;
    std::int32_t MapMode = 0;
    bool RecLetterQuality = false;
    std::int32_t RecLineHeight = 0;
    std::int32_t RecLineSpacing = 0;
    std::int32_t RecLinesToPaperCut = 0;
    std::int32_t RecSidewaysMaxChars = 0;
    std::int32_t RecSidewaysMaxLines = 0;
    std::int32_t RotateSpecial = 0;
    // What CharacterSet accepts; empty until the first OpenService, so early writes are dropped.
    std::set<std::int32_t> SupportedCodePages;

    PrintSettings Settings;
    PageCollector Pages;

    // Rotated pages: RotatePrint calls since the last page was sent (0: no page open).
    std::int32_t RotateCallCount = 0;

    // Survive OpenService.
    std::string CheckHealthText;
    PrinterStatus CurrentStatus;
};

// The printers of the family; a reply that begins with the brand word identifies one.
inline constexpr const char* kModelList[] = {"TALVORIN KVX-9100", "TALVORIN QM700",
                                             "TALVORIN QM710", "TALVORIN QM720"};

}  // namespace pos::printer
