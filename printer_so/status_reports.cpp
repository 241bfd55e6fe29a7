#include "status_reports.h"

#include <algorithm>

#include "status_decoder.h"

namespace pos::printer {

namespace {

void traceFirstBytes(TraceLog& trace, const char* source, std::span<const std::uint8_t> bytes) {
    const std::size_t shown = std::min<std::size_t>(bytes.size(), kStatusGroupSize);
    for (std::size_t i = 0; i < shown; ++i) {
        trace.Write("%s Buffer[%d]:0x%x\n", source, static_cast<int>(i),
                    static_cast<unsigned>(bytes[i]));
    }
}

void traceBits(TraceLog& trace, const char* source, const char* label, std::uint8_t b) {
    trace.Write("%s %s:%d%d%d%d%d%d%d%d\n", source, label, (b >> 7) & 1, (b >> 6) & 1, (b >> 5) & 1,
                (b >> 4) & 1, (b >> 3) & 1, (b >> 2) & 1, (b >> 1) & 1, b & 1);
}

void traceGroup(TraceLog& trace, const char* source, std::size_t id, StatusGroup group) {
    trace.Write("%s Set ID:%d\n", source, static_cast<int>(id));
    traceBits(trace, source, "Byte[0]", group[0]);
    traceBits(trace, source, "Byte[1]", group[1]);
    traceBits(trace, source, "Byte[2]", group[2]);
    traceBits(trace, source, "Byte[4]", group[3]);  // the printer's own label for the fourth byte
}

void traceFlags(TraceLog& trace, const char* source, const StatusFlags& f) {
    trace.Write("%s Cashdrawer     :%d\n", source, f.Cashdrawer);
    trace.Write("%s Online         :%d\n", source, f.Online);
    trace.Write("%s Cover Open     :%d\n", source, f.CoverOpen);
    trace.Write("%s Feed Button    :%d\n", source, f.FeedButton);
    trace.Write("%s Auto cutter    :%d\n", source, f.AutoCutter);
    trace.Write("%s Unrecoverable  :%d\n", source, f.Unrecoverable);
    trace.Write("%s Autorecoverable:%d\n", source, f.Autorecoverable);
    trace.Write("%s Paper Near End :%d\n", source, f.PaperNearEnd);
    trace.Write("%s Paper End      :%d\n", source, f.PaperEnd);
}

template <typename EachGroup>
void forEachGroup(std::span<const std::uint8_t> bytes, EachGroup each) {
    for (std::size_t id = 0; (id + 1) * kStatusGroupSize <= bytes.size(); ++id) {
        each(id, bytes.subspan(id * kStatusGroupSize).first<kStatusGroupSize>());
    }
}

}  // namespace

void decodeDleAnswer(std::span<const std::uint8_t> bytes, StatusFlags& query, TraceLog& trace) {
    traceFirstBytes(trace, "DLE", bytes);
    forEachGroup(bytes, [&](std::size_t id, StatusGroup group) {
        traceGroup(trace, "DLE", id, group);
        query = decodeDleStatus(group);
        traceFlags(trace, "DLE", query);
    });
}

void decodeAsbReport(std::span<const std::uint8_t> bytes, StatusFlags& asb, PrinterStatus& current,
                     TraceLog& trace, const std::function<void(std::int32_t)>& fire) {
    traceFirstBytes(trace, "ASB", bytes);
    forEachGroup(bytes, [&](std::size_t id, StatusGroup group) {
        traceGroup(trace, "ASB", id, group);
        asb = decodeAsbStatus(group);
        const auto events = statusChangeEvents(current.flags(), asb);
        current = asb;
        for (const std::int32_t event : events) fire(event);
        traceFlags(trace, "ASB", current.flags());
    });
}

}  // namespace pos::printer
