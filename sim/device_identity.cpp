#include "sim/device_identity.h"

#include <charconv>

namespace tarvisk::sim {

namespace {

void PutSerial(NvRamBlock& nv, int32_t serial) {
    nv[6] = static_cast<uint8_t>(serial & 0x7F);
    nv[7] = static_cast<uint8_t>((serial >> 7) & 0x7F);
}

}  // namespace

bool ParseExtraHead(std::string_view text, ExtraHead& head) {
    const size_t colon = text.find(':');
    const std::string_view idText = text.substr(0, colon);
    int32_t id = 0;
    const auto [end, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (error != std::errc() || end != idText.data() + idText.size() || id < 16 || id > 31)
        return false;
    DeviceKind kind = DeviceKind::ProfilingHead;
    if (colon != std::string_view::npos) {
        const std::string_view name = text.substr(colon + 1);
        if (name == "imaging")
            kind = DeviceKind::ImagingHead;
        else if (name == "sounder")
            kind = DeviceKind::EchoSounder;
        else if (name != "profiling")
            return false;
    }
    head = {id, kind};
    return true;
}

int32_t FactorySerialNumber(uint64_t seed, int32_t id) {
    return 1000 + static_cast<int32_t>((seed + static_cast<uint64_t>(id - 16) * 379) % 9000);
}

DeviceIdentity::DeviceIdentity(DeviceKind kind, int32_t id, int32_t serialNumber)
    : kind_(kind), id_(id) {
    if (kind == DeviceKind::AzimuthDrive) {
        nv_[0] = 1;  // firmware 1.06 of 3 MAR 22
        nv_[1] = 6;
        nv_[2] = 22;
        nv_[3] = 3;
        nv_[4] = 3;
    } else {
        nv_[0] = 2;  // firmware 2.14 of 17 JUN 24
        nv_[1] = 14;
        nv_[2] = 24;
        nv_[3] = 6;
        nv_[4] = 17;
    }
    PutSerial(nv_, serialNumber);
    switch (kind) {
        case DeviceKind::ImagingHead:
            nv_[5] = 0;  // scanning sonar, fan beam, 3 : 1, 1000 m
            break;
        case DeviceKind::ProfilingHead:
            nv_[5] = 0;  // scanning sonar, pencil beam, 3 : 1, 3000 m
            nv_[8] = 1;
            nv_[10] = 1;
            break;
        case DeviceKind::EchoSounder:
            nv_[5] = 2;  // conical beam, no gear
            nv_[8] = 2;
            break;
        case DeviceKind::AzimuthDrive:
            nv_[5] = 1;  // 6 : 1 gear, rated to 1000 m
            nv_[9] = 1;
            break;
    }
}

void DeviceIdentity::Apply(const SimCommand& c) {
    if (c.nvWrite) {
        PutSerial(nv_, c.serialNumber);
        nv_[10] = static_cast<uint8_t>(c.depthRating);
    }
    // The firmware only takes an ID the line allows.
    if (c.newHeadId >= 16 && c.newHeadId <= 31)
        id_ = c.newHeadId;
}

void DeviceIdentity::SetShotCount(int64_t shots) {
    const int64_t hundreds = shots / 100;
    nv_[13] = static_cast<uint8_t>(hundreds & 0x7F);
    nv_[14] = static_cast<uint8_t>((hundreds >> 7) & 0x7F);
    nv_[15] = static_cast<uint8_t>((hundreds >> 14) & 0x7F);
    nv_[16] = static_cast<uint8_t>((hundreds >> 21) & 0x7F);
}

}  // namespace tarvisk::sim
