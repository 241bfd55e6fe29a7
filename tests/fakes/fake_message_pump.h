#pragma once
// A message pump on a test-controlled clock: a wait advances the clock by its whole timeout,
// so waits are checked by how long they asked to block, not by wall time.
#include <vector>

#include "platform/message_pump.h"

namespace pos::testing {

class FakeMessagePump : public platform::MessagePump {
  public:
    explicit FakeMessagePump(std::uint32_t start = 1000) : now(start) {}
    std::uint32_t tickCount() override { return now; }
    void dispatchPending() override { ++dispatchPasses; }
    void waitForMessage(std::uint32_t timeoutMs) override {
        waits.push_back(timeoutMs);
        now += timeoutMs;
    }

    std::uint32_t now;
    int dispatchPasses = 0;
    std::vector<std::uint32_t> waits;
};

}  // namespace pos::testing
