#include "printer_protocol.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace pos::tools {

namespace {

constexpr std::uint8_t bit(int n, bool on) {
    return on ? static_cast<std::uint8_t>(1u << n) : 0;
}

constexpr std::uint8_t kRealTimeBase = 0x12;  // bits 1 and 4 are always set
constexpr std::uint8_t kAsbBase = 0x10;       // bit 4 of the first byte is always set

bool isCommand(std::span<const std::uint8_t> c, std::initializer_list<std::uint8_t> start) {
    return c.size() >= start.size() && std::equal(start.begin(), start.end(), c.begin());
}

}  // namespace

PrinterProtocol::Bytes PrinterProtocol::receive(std::span<const std::uint8_t> bytes) {
    Bytes out;
    bytesReceived_ += bytes.size();
    for (std::size_t at = 0; at < bytes.size();) {
        if (dataLeft_ > 0) {  // image data can be megabytes: pass over it in one step
            const auto skipped = std::min<std::uint64_t>(dataLeft_, bytes.size() - at);
            dataLeft_ -= skipped;
            at += static_cast<std::size_t>(skipped);
            continue;
        }
        take(bytes[at++], out);
    }
    return out;
}

void PrinterProtocol::take(std::uint8_t byte, Bytes& out) {
    if (dataLeft_ > 0) {
        --dataLeft_;
        return;
    }
    if (dataEndsWithNul_) {
        dataEndsWithNul_ = byte != 0;
        return;
    }
    if (headerSize_ == 0 && !startsCommand(byte)) return;  // print data
    header_[headerSize_++] = byte;

    const std::span<const std::uint8_t> header(header_.data(), headerSize_);
    const CommandLayout layout = layoutOf(header);
    if (layout.headerLength > headerSize_ && headerSize_ < header_.size()) return;

    const std::size_t length = std::min(layout.headerLength, headerSize_);
    act(header.first(length), out);
    dataLeft_ = layout.dataLength;
    dataEndsWithNul_ = layout.dataEndsWithNul;

    // Bytes that turned out not to belong to the command start afresh.
    std::array<std::uint8_t, kMaxCommandHeader> rest{};
    const std::size_t restSize = headerSize_ - length;
    std::copy_n(header_.begin() + static_cast<std::ptrdiff_t>(length), restSize, rest.begin());
    headerSize_ = 0;
    for (std::size_t i = 0; i < restSize; ++i) take(rest[i], out);
}

void PrinterProtocol::act(std::span<const std::uint8_t> command, Bytes& out) {
    if (isCommand(command, {kGs, 0x28, 0x51})) {
        out.push_back(static_cast<std::uint8_t>(modelName_.size()));
        out.insert(out.end(), modelName_.begin(), modelName_.end());
        ++identificationsAnswered_;
    } else if (isCommand(command, {kDle, 0x04}) && command.size() == 3) {
        if (command[2] < 1 || command[2] > 4) return;
        out.push_back(realTimeStatus(command[2]));
        ++statusRequestsAnswered_;
    } else if (isCommand(command, {kGs, 0x61}) && command.size() == 3) {
        asbEnabled_ = command[2] != 0;
        if (asbEnabled_ && initialAsbReport_) sendReport(out);
    }
}

void PrinterProtocol::sendReport(Bytes& out) {
    const auto report = asbReport();
    out.insert(out.end(), report.begin(), report.end());
    ++asbReportsSent_;
}

template <typename Change>
PrinterProtocol::Bytes PrinterProtocol::changeState(Change change) {
    const auto before = asbReport();
    change();
    Bytes out;
    if (asbEnabled_ && asbReport() != before) sendReport(out);
    return out;
}

PrinterProtocol::Bytes PrinterProtocol::setCoverOpen(bool open) {
    return changeState([&] { coverOpen_ = open; });
}

PrinterProtocol::Bytes PrinterProtocol::setPaper(PaperState paper) {
    return changeState([&] { paper_ = paper; });
}

PrinterProtocol::Bytes PrinterProtocol::setDrawerOpen(bool open) {
    return changeState([&] { drawerOpen_ = open; });
}

bool PrinterProtocol::setModelName(std::string name) {
    if (name.size() > kMaxModelName) return false;
    modelName_ = std::move(name);
    return true;
}

std::array<std::uint8_t, 4> PrinterProtocol::asbReport() const {
    const auto first = static_cast<std::uint8_t>(kAsbBase | bit(2, drawerOpen_) |
                                                 bit(3, offLine()) | bit(5, coverOpen_));
    const std::uint8_t paperBits = paper_ == PaperState::NearEnd ? 0x03
                                   : paper_ == PaperState::End   ? 0x0C
                                                                 : 0x00;
    return {first, 0x00, paperBits, 0x00};
}

std::uint8_t PrinterProtocol::realTimeStatus(std::uint8_t n) const {
    switch (n) {
        case 1:
            return kRealTimeBase | bit(2, drawerOpen_) | bit(3, offLine());
        case 2:
            return kRealTimeBase | bit(2, coverOpen_);
        case 3:
            return kRealTimeBase;
        case 4:
            return kRealTimeBase | (paper_ == PaperState::NearEnd ? 0x0C
                                    : paper_ == PaperState::End   ? 0x60
                                                                  : 0x00);
        default:
            return kRealTimeBase;
    }
}

}  // namespace pos::tools
