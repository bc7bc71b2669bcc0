#include "config/port_map.h"

#include "config/ini_file.h"

namespace tarvisk {
namespace {

// Most heads reach a PC through USB serial adapters today; the last four names are the
// motherboard's own ports.
constexpr std::array<std::string_view, PortCount> DefaultPortPaths{
    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3",
    "/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyS2",   "/dev/ttyS3"};

bool UsablePath(std::string_view path) {
    if (path.empty())
        return false;
    for (char c : path)
        if (c == '\0' || c == '\n' || c == '\r')
            return false;
    return true;
}

}  // namespace

std::array<std::string, PortCount> PortMap::DefaultPaths() {
    std::array<std::string, PortCount> paths;
    for (int32_t i = 0; i < PortCount; ++i)
        paths[i] = std::string(DefaultPortPaths[i]);
    return paths;
}

const std::string& PortMap::PathFor(int32_t index) const {
    static const std::string none;
    return index >= 0 && index < PortCount ? paths[index] : none;
}

std::string PortName(int32_t index) {
    return "COM" + std::to_string(index + 1);
}

void LoadPortMap(const IniFile& ini, PortMap& ports) {
    for (int32_t i = 0; i < PortCount; ++i) {
        std::string path = ini.GetString(PortSection, PortName(i), "");
        if (!UsablePath(path))
            path = std::string(DefaultPortPaths[i]);
        ports.paths[i] = path;
        ports.iniPaths[i] = path;
    }
}

void StorePortMap(const PortMap& ports, IniFile& ini) {
    for (int32_t i = 0; i < PortCount; ++i) {
        const std::string& path = ports.iniPaths[i];
        ini.SetString(PortSection, PortName(i),
                      UsablePath(path) ? path : std::string(DefaultPortPaths[i]));
    }
}

bool ParsePortOverride(std::string_view text, PortMap& ports, std::string* error) {
    auto fail = [&](std::string_view why) {
        if (error)
            *error = "Bad port mapping \"" + std::string(text) + "\": " + std::string(why) +
                     " (expected COMn=PATH with n from 1 to 8)";
        return false;
    };
    size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return fail("no '='");
    std::string_view name = text.substr(0, eq);
    std::string_view path = text.substr(eq + 1);
    if (name.size() != 4 || (name[0] != 'C' && name[0] != 'c') ||
        (name[1] != 'O' && name[1] != 'o') || (name[2] != 'M' && name[2] != 'm'))
        return fail("the port must be named COM1 to COM8");
    if (name[3] < '1' || name[3] > '8')
        return fail("the port number must be 1 to 8");
    if (!UsablePath(path))
        return fail("the device path is empty or contains a line break");
    ports.paths[name[3] - '1'] = std::string(path);
    return true;
}

}  // namespace tarvisk
