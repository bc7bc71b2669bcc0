#pragma once
// The "ComPort Setup" dialog: the head's port and interface, the GPS input with its port and
// sentence, and which Linux device each of COM1..COM8 stands for.

#include <array>
#include <string>
#include <vector>

#include "config/dialog_message.h"
#include "config/port_map.h"
#include "platform/port_probe.h"
#include "platform/serial_devices.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// "(4800,N,8,1)" .. "(115200,N,8,1)" by GPSBaudRate; any other index reads as 4800.
std::string GpsBaudText(int32_t gpsBaudRate);

class ComPortModel {
  public:
    ComPortModel(const SonarSettings& settings, const PortMap& ports,
                 const PortAvailability& availability);

    int32_t HeadPort() const { return comPort_; }
    int32_t IoCard() const { return ioCard_; }
    std::string GpsBaudLabel() const { return GpsBaudText(gpsBaudRate_); }
    bool GpsEnabled() const { return useGps_; }
    // Checked radios; -1 when none is shown checked (GPS disabled).
    int32_t CheckedGpsPort() const { return useGps_ ? gpsPort_ : -1; }
    int32_t CheckedGpsType() const { return useGps_ ? gpsType_ : -1; }
    bool HeadPortSelectable(int32_t port) const { return Present(port); }
    bool GpsPortSelectable(int32_t port) const { return useGps_ && Present(port); }
    bool GpsTypeSelectable() const { return useGps_; }
    bool Present(int32_t port) const;

    void SelectHeadPort(int32_t port);
    void SelectIoCard(int32_t value);
    void EnableGps(bool enabled);
    void SelectGpsPort(int32_t port);
    void SelectGpsType(int32_t type);

    const std::string& DevicePath(int32_t port) const { return paths_[port]; }
    // "COM1  /dev/ttyUSB0", with the device's state when it cannot be opened (and the group
    // to join when permission is what is missing).
    std::string PortLabel(int32_t port) const;
    // Maps a COMn to a device and checks it at once; a device refused for lack of permission
    // gives the fix as a message.
    DialogMessages MapPort(int32_t port, const std::string& path);

    // "Ok", first half: empty when the choice may be stored.
    DialogMessages Check() const;
    // "Ok", second half, with the link stopped: the choice and the port map become the
    // settings; availability follows the devices checked here.
    void Store(SonarSettings& settings, PortMap& ports, PortAvailability& availability) const;

  private:
    int32_t comPort_, ioCard_, gpsPort_, gpsType_, gpsBaudRate_;
    bool useGps_;
    std::array<std::string, PortCount> paths_;
    std::array<bool, PortCount> mapped_{};
    std::array<bool, PortCount> present_{};
    std::array<bool, PortCount> denied_{};  // the device is there but the user may not open it
    std::array<std::string, PortCount> deniedGroup_{};  // a group that would let the user in
};

}  // namespace tarvisk
