#pragma once
#include <cstdint>

#include "platform/message_pump.h"

namespace pos {

// Waits the given milliseconds while dispatching the calling thread's messages, blocked on
// "a message or the end" rather than spinning. A timeout of 2^31 or more (a negative OPOS
// timeout such as OPOS_FOREVER) ends after one dispatch pass, as callers of the OPOS claim
// rely on. Elapsed time is measured across the tick counter's wrap.
void WaitPumping(platform::MessagePump& pump, std::uint32_t milliseconds);

}  // namespace pos
