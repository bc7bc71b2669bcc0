#pragma once
// Why a serial device cannot be opened, in words an operator can act on. On Debian a USB
// serial adapter belongs to the group "dialout"; a user outside it gets "permission denied"
// and nothing else unless someone says which group and what to do.

#include <string>

namespace tarvisk {

struct PortAccessProblem {
    bool denied = false;  // the device exists but this user may not open it
    std::string group;    // the group that owns the device, e.g. "dialout"
    std::string message;  // one sentence: the device, its group and the fix
};

// Checks read and write access to the device at path for the running user.
PortAccessProblem CheckPortAccess(const std::string& path);

}  // namespace tarvisk
