#include "serial_settings.h"

namespace pos {

using platform::DtrControl;
using platform::RtsControl;

void applyFlowControl(platform::SerialLineSettings& line, std::int32_t kind) {
    struct Row {
        bool ctsFlow;
        bool dsrFlow;
        DtrControl dtr;
        RtsControl rts;
        bool xonXoff;
    };
    static constexpr Row kRows[] = {
        {false, false, DtrControl::Enable, RtsControl::Enable, false},      // Disable
        {true, true, DtrControl::Handshake, RtsControl::Handshake, false},  // Enable
        {true, false, DtrControl::Enable, RtsControl::Handshake, false},    // CTS/RTS
        {false, true, DtrControl::Handshake, RtsControl::Enable, false},    // DTR/DSR
        {false, false, DtrControl::Enable, RtsControl::Enable, true},       // Xon/Xoff
    };
    const Row& row = (kind >= 0 && kind <= 4) ? kRows[kind] : kRows[0];
    line.outxCtsFlow = row.ctsFlow;
    line.outxDsrFlow = row.dsrFlow;
    line.dtrControl = row.dtr;
    line.rtsControl = row.rts;
    line.outX = row.xonXoff;
    line.inX = row.xonXoff;
}

void applyNoFlowControl(platform::SerialLineSettings& line) {
    line.outxCtsFlow = false;
    line.outxDsrFlow = false;
    line.outX = false;
    line.inX = false;
    line.dtrControl = DtrControl::Disable;
    line.rtsControl = RtsControl::Disable;
}

}  // namespace pos
