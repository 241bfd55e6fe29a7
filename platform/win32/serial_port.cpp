// Win32 serial port on one overlapped handle.
//
// Threads: write() may run on one thread while read() and waitReceiveEvent() run on another
// (the reading thread); open() and close() run while neither is in progress.
#include "platform/serial_port.h"

#include <windows.h>

#include <algorithm>

#include "line_errors.h"
#include "ordered_writer.h"
#include "receive_watch.h"
#include "unique_handle.h"
#include "utf16.h"

namespace pos::platform {
namespace {

using win32::LineErrors;
using win32::OrderedWriter;
using win32::ReceiveWatch;
using win32::UniqueHandle;

// How long close() lets written bytes drain before it cancels what is left.
constexpr std::chrono::milliseconds kDrainLimit{5000};

DWORD toWaitMs(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) return 0;
    return static_cast<DWORD>(
        std::min<std::chrono::milliseconds::rep>(timeout.count(), INFINITE - 1));
}

bool toDcb(DtrControl control, DWORD& field) {
    switch (control) {
        case DtrControl::Disable:
            field = DTR_CONTROL_DISABLE;
            return true;
        case DtrControl::Enable:
            field = DTR_CONTROL_ENABLE;
            return true;
        case DtrControl::Handshake:
            field = DTR_CONTROL_HANDSHAKE;
            return true;
    }
    return false;
}

bool toDcb(RtsControl control, DWORD& field) {
    switch (control) {
        case RtsControl::Disable:
            field = RTS_CONTROL_DISABLE;
            return true;
        case RtsControl::Enable:
            field = RTS_CONTROL_ENABLE;
            return true;
        case RtsControl::Handshake:
            field = RTS_CONTROL_HANDSHAKE;
            return true;
        case RtsControl::Toggle:
            field = RTS_CONTROL_TOGGLE;
            return true;
    }
    return false;
}

DtrControl dtrFromDcb(DWORD field) {
    switch (field) {
        case DTR_CONTROL_DISABLE:
            return DtrControl::Disable;
        case DTR_CONTROL_HANDSHAKE:
            return DtrControl::Handshake;
        default:
            return DtrControl::Enable;
    }
}

RtsControl rtsFromDcb(DWORD field) {
    switch (field) {
        case RTS_CONTROL_DISABLE:
            return RtsControl::Disable;
        case RTS_CONTROL_HANDSHAKE:
            return RtsControl::Handshake;
        case RTS_CONTROL_TOGGLE:
            return RtsControl::Toggle;
        default:
            return RtsControl::Enable;
    }
}

// Only the fields the service objects own; the rest of the DCB stays as the port had it.
bool applySettings(const SerialLineSettings& settings, DCB& dcb) {
    DWORD dtr = 0;
    DWORD rts = 0;
    if (!toDcb(settings.dtrControl, dtr) || !toDcb(settings.rtsControl, rts)) return false;
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = settings.parity;
    dcb.StopBits = settings.stopBits;
    dcb.fOutxCtsFlow = settings.outxCtsFlow ? 1 : 0;
    dcb.fOutxDsrFlow = settings.outxDsrFlow ? 1 : 0;
    dcb.fDtrControl = dtr;
    dcb.fRtsControl = rts;
    dcb.fOutX = settings.outX ? 1 : 0;
    dcb.fInX = settings.inX ? 1 : 0;
    return true;
}

SerialLineSettings settingsFrom(const DCB& dcb) {
    SerialLineSettings settings;
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stopBits = dcb.StopBits;
    settings.outxCtsFlow = dcb.fOutxCtsFlow != 0;
    settings.outxDsrFlow = dcb.fOutxDsrFlow != 0;
    settings.dtrControl = dtrFromDcb(dcb.fDtrControl);
    settings.rtsControl = rtsFromDcb(dcb.fRtsControl);
    settings.outX = dcb.fOutX != 0;
    settings.inX = dcb.fInX != 0;
    return settings;
}

class Win32SerialPort final : public SerialPort {
  public:
    Win32SerialPort() = default;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;
    ~Win32SerialPort() override { close(); }

    bool open(std::string_view name) override {
        close();
        const auto wideName = win32::toUtf16Name(name);
        if (!wideName || wideName->empty()) return false;
        UniqueHandle port(CreateFileW(wideName->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        if (!port) return false;
        // No driver timeouts: a read ends when its buffer is full or when read() cancels it at
        // its own timeout, which reports what had arrived by then.
        COMMTIMEOUTS timeouts{};
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (!SetCommTimeouts(port.get(), &timeouts) || !GetCommState(port.get(), &dcb)) {
            return false;  // not a serial port
        }
        if (!readEvent_) readEvent_ = win32::makeManualResetEvent();
        if (!readEvent_ || !writer_.start(port.get())) return false;
        dcb_ = dcb;
        lineErrors_.forget();
        port_ = std::move(port);
        return true;
    }

    void close() override {
        if (!port_) return;
        receiveWatch_.stop(port_.get());
        receiveWatch_.dropByte();
        writer_.finish(kDrainLimit);
        port_.reset();
        readEvent_.reset();
    }

    bool isOpen() const override { return static_cast<bool>(port_); }

    bool readSettings(SerialLineSettings& settings) override {
        if (!port_) return false;
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (!GetCommState(port_.get(), &dcb)) return false;
        dcb_ = dcb;
        settings = settingsFrom(dcb);
        return true;
    }

    bool writeSettings(const SerialLineSettings& settings) override {
        if (!port_) return false;
        DCB next = dcb_;
        if (!applySettings(settings, next)) return false;
        if (!SetCommState(port_.get(), &next)) {
            // Some drivers apply part of a DCB before refusing the rest.
            SetCommState(port_.get(), &dcb_);
            return false;
        }
        dcb_ = next;
        return true;
    }

    bool setRts(bool raised) override {
        return port_ && EscapeCommFunction(port_.get(), raised ? SETRTS : CLRRTS);
    }

    bool setDtr(bool raised) override {
        return port_ && EscapeCommFunction(port_.get(), raised ? SETDTR : CLRDTR);
    }

    bool purgeReceive() override {
        if (!port_) return false;
        receiveWatch_.dropByte();
        return PurgeComm(port_.get(), PURGE_RXCLEAR) != FALSE;
    }

    bool readCts(bool& ctsOn) override {
        ctsOn = false;
        DWORD modemStatus = 0;
        if (!port_ || !GetCommModemStatus(port_.get(), &modemStatus)) return false;
        ctsOn = (modemStatus & MS_CTS_ON) != 0;
        return true;
    }

    bool clearError(SerialLineStatus& status) override {
        status = SerialLineStatus{};
        if (!port_) return false;
        DWORD errors = 0;
        COMSTAT comStatus{};
        if (!lineErrors_.take(port_.get(), errors, comStatus)) return false;
        status.errors = errors;
        status.inQueue = comStatus.cbInQue + (receiveWatch_.holdsByte() ? 1 : 0);
        status.outQueue = comStatus.cbOutQue + static_cast<std::uint32_t>(writer_.waitingBytes());
        return true;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        return port_ && writer_.enqueue(bytes);
    }

    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override {
        if (!port_ || dest.empty()) return 0;
        std::size_t got = 0;
        if (const auto held = receiveWatch_.takeByte(port_.get())) {
            dest[0] = *held;
            got = 1;
        }
        while (got < dest.size()) {
            const std::size_t piece = std::min<std::size_t>(dest.size() - got, MAXDWORD);
            const std::size_t arrived = readOnce(dest.subspan(got, piece), timeout);
            got += arrived;
            if (arrived < piece) break;
        }
        return got;
    }

    bool initReceiveEvent() override { return port_ && receiveWatch_.start(port_.get()); }

    bool waitReceiveEvent(std::chrono::milliseconds maxBlock) override {
        return port_ && receiveWatch_.wait(port_.get(), toWaitMs(maxBlock));
    }

    bool closeReceiveEvent() override { return port_ && receiveWatch_.stop(port_.get()); }

  private:
    // One overlapped read; nothing is left pending when it returns.
    std::size_t readOnce(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) {
        readOverlapped_ = OVERLAPPED{};
        readOverlapped_.hEvent = readEvent_.get();
        if (!ReadFile(port_.get(), dest.data(), static_cast<DWORD>(dest.size()), nullptr,
                      &readOverlapped_)) {
            if (GetLastError() != ERROR_IO_PENDING) return 0;
            if (WaitForSingleObject(readEvent_.get(), toWaitMs(timeout)) != WAIT_OBJECT_0) {
                CancelIoEx(port_.get(), &readOverlapped_);
            }
        }
        // Also reports the bytes a cancelled read had already received.
        DWORD transferred = 0;
        GetOverlappedResult(port_.get(), &readOverlapped_, &transferred, TRUE);
        return transferred;
    }

    UniqueHandle port_;
    DCB dcb_{};  // the last state read or written; writeSettings starts from it

    OrderedWriter writer_;

    UniqueHandle readEvent_;
    OVERLAPPED readOverlapped_{};

    LineErrors lineErrors_;
    ReceiveWatch receiveWatch_{lineErrors_};
};

}  // namespace

std::unique_ptr<SerialPort> createSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace pos::platform
