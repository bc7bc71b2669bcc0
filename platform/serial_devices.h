#pragma once
// The serial devices of this machine, as the port dialog offers them, and why one cannot be
// opened.

#include <string>
#include <vector>

namespace tarvisk {

struct SerialDevice {
    std::string path;    // what the program opens
    std::string target;  // for a /dev/serial/by-id link: the device it points to
};

// /dev/serial/by-id/* with their targets, then the /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*
// that exist, each group in name order. `root` stands in for "/dev" (tests).
std::vector<SerialDevice> ListSerialDevices(const std::string& root = "/dev");

enum class DeviceAccess { Usable, Missing, NoPermission, Other };

struct DeviceCheck {
    DeviceAccess access = DeviceAccess::Other;
    std::string reason;
};

// Opens the device for reading and writing without waiting for a carrier, closes it again.
DeviceCheck CheckSerialDevice(const std::string& path);

}  // namespace tarvisk
