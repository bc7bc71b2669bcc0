#include "imaging/profile_record_table.h"

#include <cstring>

namespace tarvisk {
namespace {

template <typename T>
void Put(ProfileRecordBytes& b, size_t offset, T v) {
    std::memcpy(b.data() + offset, &v, sizeof v);
}
template <typename T>
T Get(const ProfileRecordBytes& b, size_t offset) {
    T v;
    std::memcpy(&v, b.data() + offset, sizeof v);
    return v;
}

}  // namespace

ProfileRecordBytes WriteProfileRecord(const ProfileRecord& r) {
    ProfileRecordBytes b{};
    std::memcpy(b.data(), r.TimeStamp.data(), r.TimeStamp.size());
    b[39] = 0;
    // The position text is cut to 24 characters.
    size_t n = strnlen(r.GpsPosition.data(), r.GpsPosition.size());
    if (n > 24)
        n = 24;
    std::memcpy(b.data() + 40, r.GpsPosition.data(), n);
    Put(b, 70, r.GpsAltitude);
    Put(b, 74, r.Range);
    Put(b, 78, r.Bearing);
    Put(b, 82, r.Direction);
    Put(b, 86, r.Pitch);
    Put(b, 90, r.Roll);
    Put(b, 94, r.Heading);
    return b;
}

ProfileRecord ReadProfileRecord(const ProfileRecordBytes& b) {
    ProfileRecord r;
    std::memcpy(r.TimeStamp.data(), b.data(), 40);
    r.TimeStamp[39] = 0;
    std::memcpy(r.GpsPosition.data(), b.data() + 40, 30);
    r.GpsPosition[29] = 0;
    r.GpsAltitude = Get<int32_t>(b, 70);
    r.Range = Get<float>(b, 74);
    r.Bearing = Get<float>(b, 78);
    r.Direction = Get<int32_t>(b, 82);
    r.Pitch = Get<float>(b, 86);
    r.Roll = Get<float>(b, 90);
    r.Heading = Get<float>(b, 94);
    return r;
}

void ProfileRecordTable::Append(const ProfileRecord& record) {
    int32_t count = ProfileRecordCount;
    if (count < 0)
        count = 0;
    if (count > ProfileRecordCapacity)
        count = ProfileRecordCapacity;
    Records[size_t(count)] = WriteProfileRecord(record);
    ++count;
    ProfileRecordCount = count > ProfileRecordCapacity ? ProfileRecordCapacity : count;
}

float ProfileRecordRange(int32_t profileRange, int32_t rangeMeters, float echoStartDistance) {
    float r = float(profileRange);
    if (rangeMeters < 5)
        r = float(r * 0.2);
    if (profileRange != 0)
        r = float(r * 0.01 + echoStartDistance);
    if (profileRange > 9999)
        r = 0.0f;
    return r;
}

float ProfileRecordBearing(float headAngleDegrees, float verticalAngleOffset) {
    float b = headAngleDegrees + verticalAngleOffset;
    if (b >= 360.0f)
        b -= 360.0f;
    else if (b < 0.0f)
        b += 360.0f;
    return b;
}

}  // namespace tarvisk
