#pragma once
// The serial settings of a device entry and how they land in the port's line settings.
#include <cstdint>
#include <string>

#include "platform/serial_port.h"

namespace pos {

struct SerialSettings {
    std::string PortName;  // as stored, e.g. "COM1" (a device path on POSIX)
    std::int32_t BaudRate = 0;
    std::int32_t Parity = 0;
    std::int32_t StopBits = 0;
    std::int32_t DataLength = 0;
    std::int32_t FlowControl = 0;
};

// The flow-control kinds as the setup utility stores them: 0 Disable, 1 Enable, 2 CTS/RTS,
// 3 DTR/DSR, 4 Xon/Xoff; anything else counts as Disable. Only the flow-control fields change.
void applyFlowControl(platform::SerialLineSettings& line, std::int32_t kind);

// The display never uses flow control and keeps DTR and RTS low.
void applyNoFlowControl(platform::SerialLineSettings& line);

}  // namespace pos
