#pragma once
// The status-update event: the control object's "SOStatusUpdate" method, found by name on its
// dispatch interface and invoked with the status value.
#include <cstdint>

#include "platform/com.h"
#include "trace_log.h"

namespace pos::printer {

// True when the control object accepted the call. The name is looked up again for every event
// and the id found is kept in lastId.
bool fireStatusUpdateEvent(IDispatch* target, std::int32_t status, DISPID& lastId, TraceLog& trace);

}  // namespace pos::printer
