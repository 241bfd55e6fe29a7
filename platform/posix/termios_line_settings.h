#pragma once
// Translation between the Win32-shaped line settings and termios. Only the fields termios can
// hold are touched; the port keeps the rest itself.
#include <termios.h>

#include "platform/serial_port.h"

namespace pos::platform::posix {

// True when every field has a termios form (or, for the modem-line modes, a known value).
bool lineSettingsValid(const SerialLineSettings& settings);

// Writes rate, frame and flow control into attrs. False, attrs untouched, when invalid.
bool applyLineSettings(const SerialLineSettings& settings, termios& attrs);

// Overwrites the termios-held fields of settings from attrs; a rate with no standard value
// leaves baudRate as it was.
void readLineSettings(const termios& attrs, SerialLineSettings& settings);

// True when the two agree on everything applyLineSettings writes.
bool sameLineSettings(const termios& a, const termios& b);

}  // namespace pos::platform::posix
