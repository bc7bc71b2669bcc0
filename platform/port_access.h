#pragma once
// Why a serial device cannot be opened, in words an operator can act on. On Debian a USB
// serial adapter belongs to the group "dialout"; a user outside it gets "permission denied"
// and nothing else unless someone says which group and what to do.

#include <cstdint>
#include <string>

#include "platform/serial_port.h"

namespace tarvisk {

struct PortAccessProblem {
    bool denied = false;  // the device exists but this user may not open it
    std::string group;    // the group whose members could open it; empty when none could
    std::string message;  // one sentence: the device, its group and the fix
};

// Checks read and write access to the device at path for the running user.
PortAccessProblem CheckPortAccess(const std::string& path);

// What went wrong, for "cannot open PATH: ..." ("not found", "in use by another program").
std::string PortProblemReason(PortProblem problem);
// The status line for a head port that cannot be used, e.g. "COM1 (/dev/ttyUSB7) not found".
std::string PortProblemText(int32_t portIndex, const std::string& path, PortProblem problem);

}  // namespace tarvisk
