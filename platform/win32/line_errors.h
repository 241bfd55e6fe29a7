#pragma once
// ClearCommError reports the line errors and clears them in the same call. Whoever asks it only
// for the receive queue keeps the errors here, so the next clearError() still reports them.
#include <windows.h>

#include <atomic>

namespace pos::platform::win32 {

class LineErrors {
  public:
    // Bytes waiting in the driver's receive queue; 0 when the status cannot be read.
    DWORD queuedInput(HANDLE port) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &errors, &status)) return 0;
        kept_.fetch_or(errors);
        return status.cbInQue;
    }

    // The driver's status, with the errors kept since the last call added in.
    bool take(HANDLE port, DWORD& errors, COMSTAT& status) {
        errors = 0;
        status = COMSTAT{};
        const bool ok = ClearCommError(port, &errors, &status) != FALSE;
        errors |= kept_.exchange(0);
        return ok;
    }

    void forget() { kept_.store(0); }

  private:
    std::atomic<DWORD> kept_{0};
};

}  // namespace pos::platform::win32
