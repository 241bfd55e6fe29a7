#pragma once
// The receipt printer's side of the serial line: answers identification and real-time status
// requests and sends automatic status reports, from a state that tests or a person change.
// No I/O: the caller moves the bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "command_layout.h"

namespace pos::tools {

enum class PaperState : std::uint8_t { Ok, NearEnd, End };

class PrinterProtocol {
  public:
    using Bytes = std::vector<std::uint8_t>;

    static constexpr std::size_t kMaxModelName = 255;  // the reply's length is one byte
    static constexpr const char* kDefaultModelName = "TALVORIN KVX-9100";

    // Takes bytes as they arrive, split anywhere; returns what the printer sends back.
    Bytes receive(std::span<const std::uint8_t> bytes);

    // Each returns the automatic status report to send now: empty while automatic status is
    // off or when the state did not change.
    Bytes setCoverOpen(bool open);
    Bytes setPaper(PaperState paper);
    Bytes setDrawerOpen(bool open);

    // False, keeping the old name, when name is longer than kMaxModelName bytes.
    bool setModelName(std::string name);
    // Whether switching automatic status on sends the current state at once (on by default).
    void setInitialAsbReport(bool send) { initialAsbReport_ = send; }

    bool coverOpen() const { return coverOpen_; }
    PaperState paper() const { return paper_; }
    bool drawerOpen() const { return drawerOpen_; }
    bool offLine() const { return coverOpen_ || paper_ == PaperState::End; }
    const std::string& modelName() const { return modelName_; }
    bool initialAsbReport() const { return initialAsbReport_; }
    bool asbEnabled() const { return asbEnabled_; }

    std::uint64_t bytesReceived() const { return bytesReceived_; }
    std::uint64_t identificationsAnswered() const { return identificationsAnswered_; }
    std::uint64_t statusRequestsAnswered() const { return statusRequestsAnswered_; }
    std::uint64_t asbReportsSent() const { return asbReportsSent_; }

    // The four bytes of an automatic status report for the current state.
    std::array<std::uint8_t, 4> asbReport() const;
    // The answer to real-time status request n (1..4).
    std::uint8_t realTimeStatus(std::uint8_t n) const;

  private:
    void take(std::uint8_t byte, Bytes& out);
    void act(std::span<const std::uint8_t> command, Bytes& out);
    void sendReport(Bytes& out);
    template <typename Change>
    Bytes changeState(Change change);

    bool coverOpen_ = false;
    PaperState paper_ = PaperState::Ok;
    bool drawerOpen_ = false;
    std::string modelName_ = kDefaultModelName;
    bool initialAsbReport_ = true;
    bool asbEnabled_ = false;

    std::uint64_t bytesReceived_ = 0;
    std::uint64_t identificationsAnswered_ = 0;
    std::uint64_t statusRequestsAnswered_ = 0;
    std::uint64_t asbReportsSent_ = 0;

    // Parser state, kept between calls to receive().
    std::array<std::uint8_t, kMaxCommandHeader> header_{};
    std::size_t headerSize_ = 0;
    std::uint64_t dataLeft_ = 0;
    bool dataEndsWithNul_ = false;
};

}  // namespace pos::tools
