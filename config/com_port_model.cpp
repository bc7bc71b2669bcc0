#include "config/com_port_model.h"

#include "platform/port_access.h"

namespace tarvisk {

std::string GpsBaudText(int32_t gpsBaudRate) {
    static const char* const texts[] = {"(4800,N,8,1)",  "(9600,N,8,1)",  "(19200,N,8,1)",
                                        "(38400,N,8,1)", "(57600,N,8,1)", "(115200,N,8,1)"};
    return gpsBaudRate >= 0 && gpsBaudRate <= 5 ? texts[gpsBaudRate] : texts[0];
}

ComPortModel::ComPortModel(const SonarSettings& settings, const PortMap& ports,
                           const PortAvailability& availability)
    : comPort_(settings.ComPort),
      ioCard_(settings.IOCard),
      gpsPort_(settings.ComPortGPS),
      gpsType_(settings.GPSType),
      gpsBaudRate_(settings.GPSBaudRate),
      useGps_(settings.UseGPS == 1),
      paths_(ports.paths) {
    for (int32_t i = 0; i < PortCount; ++i) {
        present_[i] = availability.available[i];
        if (!present_[i]) {
            const PortAccessProblem problem = CheckPortAccess(paths_[i]);
            denied_[i] = problem.denied;
            deniedGroup_[i] = problem.group;
        }
    }
}

bool ComPortModel::Present(int32_t port) const {
    return port >= 0 && port < PortCount && present_[port];
}

void ComPortModel::SelectHeadPort(int32_t port) {
    if (HeadPortSelectable(port))
        comPort_ = port;
}

void ComPortModel::SelectIoCard(int32_t value) {
    ioCard_ = value == 0 ? 0 : 1;
}

void ComPortModel::EnableGps(bool enabled) {
    useGps_ = enabled;
}

void ComPortModel::SelectGpsPort(int32_t port) {
    if (GpsPortSelectable(port))
        gpsPort_ = port;
}

void ComPortModel::SelectGpsType(int32_t type) {
    if (GpsTypeSelectable())
        gpsType_ = type == 0 ? 0 : 1;
}

std::string ComPortModel::PortLabel(int32_t port) const {
    std::string label = PortName(port) + "  " + paths_[port];
    if (present_[port])
        return label;
    if (denied_[port])
        // Name a group only where joining it would help.
        return deniedGroup_[port].empty()
                   ? label + "  (no permission)"
                   : label + "  (no permission: join group " + deniedGroup_[port] + ")";
    return label + "  (not available)";
}

DialogMessages ComPortModel::MapPort(int32_t port, const std::string& path) {
    if (port < 0 || port >= PortCount || path.empty())
        return {};
    paths_[port] = path;
    mapped_[port] = true;
    const DeviceCheck check = CheckSerialDevice(path);
    present_[port] = check.access == DeviceAccess::Usable;
    deniedGroup_[port].clear();
    denied_[port] = check.access == DeviceAccess::NoPermission;
    if (!denied_[port])
        return {};
    const PortAccessProblem problem = CheckPortAccess(path);
    deniedGroup_[port] = problem.group;
    return {{"ComPort Setup",
             problem.message.empty() ? "No permission to open " + path + "." : problem.message}};
}

DialogMessages ComPortModel::Check() const {
    if (useGps_ && comPort_ == gpsPort_)
        return {{"ComPort Setup", "ComPorts can not be the same."}};
    return {};
}

void ComPortModel::Store(SonarSettings& settings, PortMap& ports,
                         PortAvailability& availability) const {
    for (int32_t i = 0; i < PortCount; ++i) {
        availability.available[i] = present_[i];
        if (mapped_[i])
            ports.paths[i] = ports.iniPaths[i] = paths_[i];
    }
    availability.gpsPortUsable = present_[gpsPort_] && gpsPort_ != comPort_;
    settings.IOCard = ioCard_;
    settings.UseGPS = useGps_ ? 1 : 0;
    settings.ComPort = comPort_;
    if (useGps_ && availability.gpsPortUsable) {
        settings.GPSType = gpsType_;
        settings.ComPortGPS = gpsPort_;
    }
}

}  // namespace tarvisk
