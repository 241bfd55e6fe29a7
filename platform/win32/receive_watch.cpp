#include "receive_watch.h"

namespace pos::platform::win32 {
namespace {

// How long stop() lets the driver complete a wait that SetCommMask(0) ended.
constexpr DWORD kWaitEndLimitMs = 2000;

DWORD msUntil(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

}  // namespace

bool ReceiveWatch::start(HANDLE port) {
    if (active()) return true;
    event_ = makeManualResetEvent();
    if (!event_) return false;
    if (!SetCommMask(port, EV_RXCHAR)) {
        event_.reset();
        return false;
    }
    // Wine ends an event wait at once when it cannot read the modem lines (a pseudo-terminal),
    // after starting a helper thread for it; such a port starts with byte reads.
    DWORD modemStatus = 0;
    byteReads_ = GetCommModemStatus(port, &modemStatus) == FALSE;
    return true;
}

bool ReceiveWatch::wait(HANDLE port, DWORD maxBlockMs) {
    if (!active()) return false;
    const ULONGLONG deadline = GetTickCount64() + maxBlockMs;
    // A port whose waits fail or end at once still takes its time, so a caller's loop does not
    // spin on it.
    const auto sitOut = [&] {
        ResetEvent(event_.get());
        WaitForSingleObject(event_.get(), msUntil(deadline));
        return false;
    };
    bool issuedHere = false;
    // At most three rounds: a wait left from an earlier call, a fresh one, one after switching
    // to byte reads.
    for (;;) {
        if (holding_.load()) return true;
        if (pending_ == Pending::None) {
            if (lineErrors_.queuedInput(port) > 0) return true;
            if (!issue(port)) return sitOut();
            issuedHere = true;
        }
        if (WaitForSingleObject(event_.get(), msUntil(deadline)) != WAIT_OBJECT_0) {
            return lineErrors_.queuedInput(port) > 0;
        }
        const Outcome outcome = collect(port);
        if (outcome == Outcome::Arrived || lineErrors_.queuedInput(port) > 0) return true;
        if (!issuedHere) continue;
        if (outcome == Outcome::EndedByDriver && !byteReads_) {
            byteReads_ = true;  // for the rest of this session
            continue;
        }
        return sitOut();
    }
}

bool ReceiveWatch::issue(HANDLE port) {
    ResetEvent(event_.get());
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    BOOL started = FALSE;
    if (byteReads_) {
        pending_ = Pending::ByteRead;
        started = ReadFile(port, &readBuffer_, 1, nullptr, &overlapped_);
    } else {
        pending_ = Pending::CommEvent;
        eventMask_ = 0;
        started = WaitCommEvent(port, &eventMask_, &overlapped_);
    }
    // Completed at once or pending: either way the event tells, and collect() reads the result.
    if (started || GetLastError() == ERROR_IO_PENDING) return true;
    pending_ = Pending::None;
    return false;
}

ReceiveWatch::Outcome ReceiveWatch::collect(HANDLE port) {
    DWORD transferred = 0;
    const bool ok = GetOverlappedResult(port, &overlapped_, &transferred, FALSE) != FALSE;
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    const Pending finished = pending_;
    pending_ = Pending::None;
    if (finished == Pending::ByteRead) {
        if (transferred != 1) return Outcome::Nothing;
        heldByte_ = readBuffer_;
        holding_.store(true);
        return Outcome::Arrived;
    }
    if (ok && (eventMask_ & EV_RXCHAR) != 0) return Outcome::Arrived;
    if ((ok && eventMask_ == 0) || error == ERROR_OPERATION_ABORTED) return Outcome::EndedByDriver;
    return Outcome::Nothing;
}

void ReceiveWatch::endByteRead(HANDLE port) {
    if (pending_ != Pending::ByteRead) return;
    CancelIoEx(port, &overlapped_);
    DWORD transferred = 0;
    GetOverlappedResult(port, &overlapped_, &transferred, TRUE);
    pending_ = Pending::None;
    if (transferred == 1) {
        heldByte_ = readBuffer_;
        holding_.store(true);
    }
}

std::optional<std::uint8_t> ReceiveWatch::takeByte(HANDLE port) {
    endByteRead(port);
    if (!holding_.exchange(false)) return std::nullopt;
    return heldByte_;
}

bool ReceiveWatch::stop(HANDLE port) {
    if (!active()) return false;
    endByteRead(port);
    // Clearing the mask completes a pending WaitCommEvent.
    const bool cleared = SetCommMask(port, 0) != FALSE;
    if (pending_ == Pending::CommEvent) {
        if (WaitForSingleObject(event_.get(), kWaitEndLimitMs) != WAIT_OBJECT_0) {
            CancelIoEx(port, &overlapped_);
        }
        DWORD transferred = 0;
        GetOverlappedResult(port, &overlapped_, &transferred, TRUE);
        pending_ = Pending::None;
    }
    event_.reset();
    byteReads_ = false;
    return cleared;
}

}  // namespace pos::platform::win32
