#include "status_receiver.h"

#include <algorithm>

#include "status_decoder.h"

namespace pos::printer {

bool receiveStatusAnswer(ComPort& port, StatusBuffer& buffer, const StatusPause& pause) {
    for (int look = 0; look < kStatusLooks; ++look) {
        if (!pause(kStatusPauseMs)) return false;
        // A port that cannot report its state has nothing waiting; its last count is stale.
        const std::size_t waiting = port.ClearError() ? port.InQueue() : 0;
        if (waiting == 0 || waiting % kStatusGroupSize != 0) continue;
        const std::size_t wanted = std::min(waiting, StatusBuffer::kCapacity);
        buffer.bytes.fill(0);
        // The bytes were already waiting; a read that still falls short is not decoded.
        if (!port.Read(buffer.bytes.data(), wanted)) {
            buffer.count = 0;
            return false;
        }
        buffer.count = wanted;
        return true;
    }
    return false;
}

}  // namespace pos::printer
