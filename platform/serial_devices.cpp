#include "platform/serial_devices.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> NamesStartingWith(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size())
            names.push_back(it->path().string());
    }
    // ttyS2 before ttyS10.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

}  // namespace

std::vector<SerialDevice> ListSerialDevices(const std::string& root) {
    std::vector<SerialDevice> devices;
    std::error_code ec;
    std::vector<std::string> links;
    const fs::path byId = fs::path(root) / "serial" / "by-id";
    for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec))
        links.push_back(it->path().string());
    std::sort(links.begin(), links.end());
    for (const std::string& link : links) {
        std::error_code e;
        fs::path target = fs::canonical(link, e);
        devices.push_back({link, e ? std::string() : target.string()});
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
        for (std::string& path : NamesStartingWith(root, prefix))
            devices.push_back({std::move(path), {}});
    return devices;
}

DeviceCheck CheckSerialDevice(const std::string& path) {
    DeviceCheck check;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        check.access = DeviceAccess::Usable;
        return check;
    }
    const int error = errno;
    check.reason = std::strerror(error);
    check.access = error == ENOENT || error == ENXIO || error == ENODEV ? DeviceAccess::Missing
                   : error == EACCES || error == EPERM                  ? DeviceAccess::NoPermission
                                                                        : DeviceAccess::Other;
    return check;
}

}  // namespace tarvisk
