#pragma once
// The calling thread's message loop and millisecond tick, as waits that keep a user interface
// alive need them.
#include <cstdint>
#include <functional>
#include <memory>

namespace pos::platform {

class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
    virtual std::uint32_t tickCount() = 0;
    // Removes and dispatches every message waiting for the calling thread.
    virtual void dispatchPending() = 0;
    // Blocks until a message arrives for the calling thread or the timeout passes.
    virtual void waitForMessage(std::uint32_t timeoutMs) = 0;
};

// Win32: the calling thread's window messages. POSIX: there are no window messages; the host
// may install a hook that is run as the "dispatch" and wake the wait with postMessage().
std::unique_ptr<MessagePump> createMessagePump();

#ifndef _WIN32
void setPosixPumpHook(std::function<void()> hook);
// Wakes a thread blocked in waitForMessage; the hook runs on its next dispatch.
void postPosixPumpMessage();
#endif

}  // namespace pos::platform
