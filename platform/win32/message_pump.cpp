// The calling thread's window message queue.
#include "platform/message_pump.h"

#include <windows.h>

namespace pos::platform {
namespace {

class Win32MessagePump final : public MessagePump {
  public:
    std::uint32_t tickCount() override { return GetTickCount(); }

    void dispatchPending() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    void waitForMessage(std::uint32_t timeoutMs) override {
        // MWMO_INPUTAVAILABLE: a message that an earlier peek saw but left queued still ends
        // the wait.
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
};

}  // namespace

std::unique_ptr<MessagePump> createMessagePump() {
    return std::make_unique<Win32MessagePump>();
}

}  // namespace pos::platform
