#include "platform/port_probe.h"

#include "platform/serial_port.h"

namespace tarvisk {

namespace {
bool Available(const PortAvailability& ports, int32_t index) {
    return index >= 0 && index < ComPortCount && ports.available[index];
}
}  // namespace

void ChoosePorts(SonarSettings& settings, PortAvailability& ports) {
    int32_t head = settings.ComPort;
    if (!Available(ports, head)) {
        for (int32_t i = 0; i < ComPortCount; ++i) {
            if (ports.available[i]) {
                head = i;
                break;
            }
        }
        settings.ComPort = head;
    }
    int32_t gps = settings.ComPortGPS;
    if (!Available(ports, gps) || gps == head) {
        for (int32_t i = 0; i < ComPortCount; ++i) {
            if (ports.available[i] && i != head) {
                gps = i;
                break;
            }
        }
        settings.ComPortGPS = gps;
    }
    // Sharing the head port keeps the previous mark: nothing new is learned about the GPS.
    if (gps != head)
        ports.gpsPortUsable = Available(ports, gps);
}

void ProbePorts(SonarSettings& settings, const std::array<std::string, ComPortCount>& devicePaths,
                PortAvailability& ports) {
    for (int32_t i = 0; i < ComPortCount; ++i) {
        ports.available[i] = false;
        if (devicePaths[i].empty())
            continue;
        // Only whether it opens: a console, modem or GPS on the port is left undisturbed.
        ports.available[i] = ProbeSerialDevice(devicePaths[i]);
    }
    ChoosePorts(settings, ports);
}

}  // namespace tarvisk
