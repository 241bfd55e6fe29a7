#include "wait_pumping.h"

namespace pos {

void WaitPumping(platform::MessagePump& pump, std::uint32_t milliseconds) {
    const std::uint32_t start = pump.tickCount();
    const bool onePass = milliseconds >= 0x80000000u;
    for (;;) {
        const std::uint32_t elapsed = pump.tickCount() - start;
        pump.dispatchPending();
        // The end is passed once the tick has moved beyond start + milliseconds.
        if (onePass || elapsed > milliseconds) return;
        pump.waitForMessage(milliseconds - elapsed + 1);
    }
}

}  // namespace pos
