#pragma once
// What a device on the simulated line says it is when the program scans for heads: the 64 bytes
// of non-volatile memory it answers with ("T"), and the ID change and programming that ride on
// the scan command. Shared by the sonar heads and the azimuth drive, which both identify
// themselves; the orientation module only knows its attitude request and stays silent.

#include <array>
#include <cstdint>
#include <string_view>

#include "sim/sim_command.h"

namespace tarvisk::sim {

inline constexpr int32_t NvRamSize = 64;
using NvRamBlock = std::array<uint8_t, NvRamSize>;

enum class DeviceKind { ImagingHead, ProfilingHead, EchoSounder, AzimuthDrive };

// A further device on the line, besides the main sonar head (tarvisk-headsim --extra-head).
struct ExtraHead {
    int32_t id = 20;
    DeviceKind kind = DeviceKind::ProfilingHead;
};

// "20", "20:profiling", "17:imaging" or "22:sounder". False for anything else or an ID
// outside 16..31.
bool ParseExtraHead(std::string_view text, ExtraHead& head);

class DeviceIdentity {
  public:
    DeviceIdentity(DeviceKind kind, int32_t id, int32_t serialNumber);

    int32_t Id() const { return id_; }
    const NvRamBlock& NvRam() const { return nv_; }
    DeviceKind Kind() const { return kind_; }

    // A scan command addressed to this device: applies the ID change and the programming it
    // carries, as the firmware does before it answers.
    void Apply(const SimCommand& command);
    // The shot counter the head keeps in hundreds (sonar heads only).
    void SetShotCount(int64_t shots);

  private:
    DeviceKind kind_;
    int32_t id_;
    NvRamBlock nv_{};
};

// Serial number a simulated device leaves the factory with: different per ID and seed.
int32_t FactorySerialNumber(uint64_t seed, int32_t id);

}  // namespace tarvisk::sim
