#include "sim/sim_command.h"

#include <cstdio>

namespace tarvisk::sim {

bool ParseSimCommand(std::span<const uint8_t, CommandSize> b, SimCommand& c) {
    if (b[0] != 0xFE || b[1] != 0x44 || b[26] != 0xFD)
        return false;
    c = {};
    c.deviceId = b[2];
    c.rangeMeters = b[3];
    c.hold = (b[5] & 0x01) != 0;
    c.oneShot = (b[5] & 0x40) != 0;
    c.headScan = b[7] == 1;
    c.gain = b[8];
    c.absorption = b[10];
    c.trainCode = b[11];
    c.sectorCode = b[12];
    c.stepCode = b[13];
    c.pulseMicroseconds = b[14] * 10;
    c.profileMinimumDecimetres = b[15];
    if (c.headScan) {
        if (b[16] & 0x80)
            c.newHeadId = b[16] & 0x7F;
        c.nvWrite = b[10] == 0x80;
        c.serialNumber = (b[15] & 0x7F) | ((b[18] & 0x7F) << 7);
        c.depthRating = b[21] & 0x0F;
    }
    c.dataPoints = b[19];
    c.dataBits = b[20];
    c.baudCode = b[21];
    c.profileOnly = b[22] == 1;
    c.calibrate = b[23] == 1;
    c.switchDelay = b[24];
    c.frequencyKhz = (b[25] - 100) * 5 + 675;
    c.azimuthTarget = (b[11] & 0x7F) | ((b[12] & 0x0F) << 7);
    return true;
}

int32_t TrainCentrePosition(int32_t trainCode) {
    // Codes 60..119 cover 0..177 degrees, 0..59 cover 180..357 degrees.
    int32_t degrees = trainCode >= 60 ? (trainCode - 60) * 3 : 180 + trainCode * 3;
    return (600 + degrees * 10 / 3) % 1200;
}

std::string FormatCommandHex(std::span<const uint8_t, CommandSize> frame) {
    std::string text;
    text.reserve(CommandSize * 3);
    char hex[4];
    for (size_t i = 0; i < CommandSize; ++i) {
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", frame[i]);
        text += hex;
    }
    return text;
}

}  // namespace tarvisk::sim
