#pragma once
// Profile records collected during an automated scan, one per shot, read by the XYZ export.
// Each record keeps its 98-byte layout; Read/Write convert it to and from named fields.

#include <array>
#include <cstdint>

#include "settings/shared_value.h"
#include "imaging/shot_hooks.h"

namespace tarvisk {

inline constexpr size_t ProfileRecordSize = 98;
inline constexpr int32_t ProfileRecordCapacity = 1200;

using ProfileRecordBytes = std::array<uint8_t, ProfileRecordSize>;

struct ProfileRecord {
    std::array<char, 40> TimeStamp{};    // offset 0, NUL-terminated
    std::array<char, 30> GpsPosition{};  // offset 40, at most 24 characters
    int32_t GpsAltitude = 0;             // offset 70
    float Range = 0.0f;                  // offset 74, metres
    float Bearing = 0.0f;                // offset 78, degrees 0..360
    int32_t Direction = 0;               // offset 82, the scan-direction bit
    float Pitch = 0.0f;                  // offset 86
    float Roll = 0.0f;                   // offset 90
    float Heading = 0.0f;                // offset 94
};

ProfileRecordBytes WriteProfileRecord(const ProfileRecord& record);
ProfileRecord ReadProfileRecord(const ProfileRecordBytes& bytes);

struct ProfileRecordTable {
    // 1200 counted records and one spare that takes everything beyond them.
    std::array<ProfileRecordBytes, ProfileRecordCapacity + 1> Records{};
    SharedInt ProfileRecordCount{0};

    void Clear() { ProfileRecordCount = 0; }
    // Stores at the current count and counts it, up to 1200; later records go to the spare
    // entry, which no reader counts.
    void Append(const ProfileRecord& record);
    ProfileRecord At(int32_t index) const { return ReadProfileRecord(Records[size_t(index)]); }
};

// The record range of a shot: ProfileRange is centimetres (units of 2 mm below 5 m range);
// the blanking distance is added to a real point; 0 stays 0.
float ProfileRecordRange(int32_t profileRange, int32_t rangeMeters, float echoStartDistance);
// HeadAngleDegrees plus the vertical offset, brought into [0, 360) by one turn.
float ProfileRecordBearing(float headAngleDegrees, float verticalAngleOffset);

}  // namespace tarvisk
