#pragma once
// The device side's reading of a 27-byte switch command. Deliberately separate from the
// program's builders: the simulator is an independent model of the frame in tests.

#include <cstdint>
#include <span>
#include <string>

namespace tarvisk::sim {

inline constexpr size_t CommandSize = 27;
inline constexpr int32_t AzimuthDriveId = 31;
inline constexpr int32_t OrientationModuleId = 24;

struct SimCommand {
    int32_t deviceId = 0;
    int32_t rangeMeters = 0;
    bool hold = false;
    bool oneShot = false;
    bool headScan = false;  // byte 7 = 1: identify yourself ("T")
    int32_t gain = 0;
    int32_t absorption = 0;  // 0.01 dB/m
    int32_t trainCode = 0;
    int32_t sectorCode = 0;  // 3-degree units
    int32_t stepCode = 0;    // 0.3-degree steps per shot
    int32_t pulseMicroseconds = 0;
    int32_t profileMinimumDecimetres = 0;
    int32_t newHeadId = -1;  // byte 16 bit 7: change ID
    bool nvWrite = false;    // byte 10 = 0x80 on a head-scan command
    int32_t serialNumber = 0;
    int32_t depthRating = 0;
    int32_t dataPoints = 0;
    int32_t dataBits = 8;
    int32_t baudCode = 0;
    bool profileOnly = false;
    bool calibrate = false;
    int32_t switchDelay = 0;
    int32_t frequencyKhz = 0;
    int32_t azimuthTarget = 0;  // bytes 11, 12 of an azimuth drive command
};

// False when the frame lacks its start bytes or end byte.
bool ParseSimCommand(std::span<const uint8_t, CommandSize> frame, SimCommand& command);

// Centre of the commanded sector as a head position (0..1199, 600 ahead).
int32_t TrainCentrePosition(int32_t trainCode);

// "FE 44 10 ..." (upper-case hex, one blank between bytes).
std::string FormatCommandHex(std::span<const uint8_t, CommandSize> frame);

}  // namespace tarvisk::sim
