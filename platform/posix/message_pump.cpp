#include "platform/message_pump.h"

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pos::platform {

namespace {

// One posted flag for the whole process: without window messages, "a message arrived" only
// means the host asked for its hook to run.
struct PostedMessages {
    std::mutex mutex;
    std::condition_variable arrived;
    bool pending = false;
    std::function<void()> hook;
};

PostedMessages& posted() {
    static PostedMessages instance;
    return instance;
}

class PosixMessagePump final : public MessagePump {
  public:
    std::uint32_t tickCount() override {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }

    void dispatchPending() override {
        std::function<void()> hook;
        {
            std::lock_guard lock(posted().mutex);
            if (!posted().pending) {
                return;
            }
            posted().pending = false;
            hook = posted().hook;
        }
        // Outside the lock, so the hook may post again or replace itself.
        if (hook) {
            hook();
        }
    }

    void waitForMessage(std::uint32_t timeoutMs) override {
        auto& state = posted();
        std::unique_lock lock(state.mutex);
        state.arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&state] { return state.pending; });
    }
};

}  // namespace

std::unique_ptr<MessagePump> createMessagePump() {
    return std::make_unique<PosixMessagePump>();
}

void setPosixPumpHook(std::function<void()> hook) {
    std::lock_guard lock(posted().mutex);
    posted().hook = std::move(hook);
}

void postPosixPumpMessage() {
    {
        std::lock_guard lock(posted().mutex);
        posted().pending = true;
    }
    posted().arrived.notify_all();
}

}  // namespace pos::platform
