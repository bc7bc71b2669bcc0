#include "sim/sim_devices.h"

#include <algorithm>
#include <cmath>

namespace tarvisk::sim {

namespace {

// The distance the head's echo data starts at for its pulse length (the program computes the
// same from the pulse it sent, with the echo-start bit of the reply clear, as sent here).
float BlankingMeters(const SimCommand& c) {
    const int32_t t = c.pulseMicroseconds + (c.rangeMeters < 5 ? 112 : 202);
    return std::max(0.0f, static_cast<float>(t) * 0.00075f);
}

// Whole cells of a count-sample line that the blanking distance covers.
int32_t SkipBlanking(const PingSettings& ping, int32_t count, float blank) {
    const float cell = std::max(ping.rangeMeters, 1.0f) / static_cast<float>(count);
    const int32_t skip = static_cast<int32_t>(blank / cell + 0.5f);
    return std::clamp(skip, 0, MaxSceneSamples - count);
}

// The same ping over count + skip cells of the same size, so the line can start skip cells in.
PingSettings Lengthened(PingSettings ping, int32_t count, int32_t skip) {
    const float range = std::max(ping.rangeMeters, 1.0f);
    ping.rangeMeters = range * static_cast<float>(count + skip) / static_cast<float>(count);
    ping.firstCell = skip;
    return ping;
}

void Put14(ReplyFrame& reply, size_t at, int32_t value) {
    reply[at] = static_cast<uint8_t>(value & 0x7F);
    reply[at + 1] = static_cast<uint8_t>((value >> 7) & 0x7F);
}

int32_t Wrap(int32_t position) {
    return ((position % 1200) + 1200) % 1200;
}

}  // namespace

ReplyShape ShapeFor(const SimCommand& c) {
    ReplyShape s;
    s.dataBits = (c.dataBits == 4 || c.dataBits == 16) ? c.dataBits : 8;
    if (c.headScan) {
        s.type = 'T';
        s.length = 13 + NvRamSize;
        return s;
    }
    if (c.profileOnly || (c.dataPoints != 25 && c.dataPoints != 50))
        return s;  // "P"
    if (c.dataPoints == 50) {
        s.type = 'G';
        s.length = s.dataBits == 4 ? 265 : 513;
        s.samples = s.dataBits == 4 ? 504 : s.dataBits == 8 ? 500 : 250;
    } else {
        s.type = 'M';
        s.length = s.dataBits == 4 ? 141 : s.dataBits == 8 ? 265 : 513;
        s.samples = s.dataBits == 4 ? 256 : s.dataBits == 8 ? 252 : 250;
    }
    return s;
}

SonarHeadModel::SonarHeadModel(uint64_t seed, int32_t headId, SceneKind scene, DeviceKind kind)
    : scene_(scene), random_(seed), identity_(kind, headId, FactorySerialNumber(seed, headId)) {}

void SonarHeadModel::Header(ReplyFrame& reply, uint8_t type, const SimCommand& c, int32_t profile,
                            int32_t dataCount) const {
    reply[0] = 'I';
    reply[1] = type;
    reply[2] = 'X';
    reply[3] = static_cast<uint8_t>(identity_.Id());
    reply[4] = 0;
    reply[5] = static_cast<uint8_t>(position_ & 0x7F);
    // The direction bit is set while the transducer steps toward higher positions.
    reply[6] = static_cast<uint8_t>(((position_ >> 7) & 0x3F) | (direction_ ? 0 : 0x40));
    reply[7] = static_cast<uint8_t>(c.rangeMeters);
    reply[8] = static_cast<uint8_t>(profile & 0x7F);
    reply[9] = static_cast<uint8_t>((profile >> 7) & 0xFF);
    Put14(reply, 10, dataCount);
}

void SonarHeadModel::Step(const SimCommand& c) {
    if (c.hold || c.stepCode == 0)
        return;
    if (c.sectorCode == 0 || c.sectorCode >= 120) {
        // Full circle (or a zero-width sector: a fixed bearing only when not stepping).
        if (c.sectorCode == 0)
            return;
        position_ = Wrap(position_ + (direction_ ? -c.stepCode : c.stepCode));
        return;
    }
    const int32_t centre = TrainCentrePosition(c.trainCode);
    const int32_t half = c.sectorCode * 5;  // sector in 3-degree units, 0.3-degree steps
    // Work relative to the centre so sectors through position 0 behave the same.
    int32_t offset = static_cast<int32_t>(std::remainder(position_ - centre, 1200.0));
    offset += direction_ ? -c.stepCode : c.stepCode;
    if (offset >= half) {
        offset = half;
        direction_ = true;
    } else if (offset <= -half) {
        offset = -half;
        direction_ = false;
    }
    position_ = Wrap(centre + offset);
}

int32_t SonarHeadModel::Respond(const SimCommand& c, ReplyFrame& reply) {
    if (c.deviceId != identity_.Id())
        return 0;
    if (c.headScan) {
        identity_.Apply(c);
        identity_.SetShotCount(shots_);
        Header(reply, 'T', c, 0, NvRamSize);
        std::copy(identity_.NvRam().begin(), identity_.NvRam().end(), reply.begin() + 12);
        reply[12 + NvRamSize] = 0xFC;
        return 13 + NvRamSize;
    }

    // Keep the transducer inside a narrowed or moved sector.
    if (c.sectorCode > 0 && c.sectorCode < 120) {
        const int32_t centre = TrainCentrePosition(c.trainCode);
        const int32_t half = c.sectorCode * 5;
        int32_t offset = static_cast<int32_t>(std::remainder(position_ - centre, 1200.0));
        if (offset > half || offset < -half)
            position_ = Wrap(centre + std::clamp(offset, -half, half));
    } else if (c.sectorCode == 0) {
        position_ = TrainCentrePosition(c.trainCode);
    }

    ++shots_;
    const ReplyShape shape = ShapeFor(c);
    const float range = static_cast<float>(std::max(c.rangeMeters, 1));
    PingSettings ping{range, static_cast<float>(c.gain), c.absorption * 0.01f,
                      static_cast<float>(c.pulseMicroseconds), static_cast<float>(c.frequencyKhz)};
    // The profile search always looks at the fine 500-sample line. Echo data and profile range
    // start at the blanking distance, as on the real head: the program adds it back.
    const float bearing = (position_ - 600) * 0.3f;
    const float blank = BlankingMeters(c);
    const int32_t fineSkip = SkipBlanking(ping, 500, blank);
    EchoLine fine;
    scene_.Echoes(bearing, Lengthened(ping, 500, fineSkip), c.profileMinimumDecimetres * 0.1f,
                  random_, fine, 500 + fineSkip);
    const float profileMeters = fine.profileMeters - fineSkip * (range / 500.0f);
    const int32_t profile =
        fine.profileMeters > 0.0f && profileMeters > 0.0f
            ? static_cast<int32_t>(profileMeters / (c.rangeMeters < 5 ? 0.002f : 0.01f) + 0.5f)
            : 0;

    const int32_t dataCount = shape.length - 13;
    Header(reply, shape.type, c, profile, dataCount);
    uint8_t* data = reply.data() + 12;
    if (shape.samples > 0) {
        EchoLine coarse;
        int32_t skip = fineSkip;
        if (shape.samples != 500) {
            skip = SkipBlanking(ping, shape.samples, blank);
            scene_.Echoes(bearing, Lengthened(ping, shape.samples, skip), 0.0f, random_, coarse,
                          shape.samples + skip);
        }
        const uint8_t* line = (shape.samples == 500 ? fine.levels : coarse.levels).data() + skip;
        if (shape.dataBits == 8) {
            std::copy_n(line, dataCount, data);
        } else if (shape.dataBits == 4) {
            for (int32_t i = 0; i < dataCount; ++i) {
                data[i] = static_cast<uint8_t>((line[2 * i] >> 4) | (line[2 * i + 1] & 0xF0));
            }
        } else {
            for (int32_t i = 0; i < dataCount / 2; ++i) {
                // 14 significant bits, left in the top of the word as the head sends them.
                uint32_t word = (static_cast<uint32_t>(line[i]) << 6) | (random_.Next() & 0x3F);
                data[2 * i] = static_cast<uint8_t>(word & 0xFF);
                data[2 * i + 1] = static_cast<uint8_t>(word >> 8);
            }
        }
    }
    reply[shape.length - 1] = 0xFC;
    Step(c);
    return shape.length;
}

int32_t AzimuthDriveModel::Respond(const SimCommand& c, ReplyFrame& reply) {
    if (c.deviceId != identity_.Id())
        return 0;
    if (c.headScan)
        return Identify(c, reply);
    const int32_t target = std::clamp(c.azimuthTarget, 0, 1199);
    if (!c.hold) {
        const int32_t now = Position();
        if (rate_ <= 0) {
            position_ = target;
        } else {
            position_ = now + std::clamp(target - now, -rate_, rate_);
        }
    }
    return Answer(target, reply);
}

int32_t AzimuthDriveModel::Respond(const SimCommand& c, double t, ReplyFrame& reply) {
    if (perSecond_ <= 0.0 || t < 0.0)
        return Respond(c, reply);
    if (c.deviceId != identity_.Id())
        return 0;
    if (c.headScan)
        return Identify(c, reply);
    if (lastTime_ >= 0.0) {
        const double step = perSecond_ * (t - lastTime_);
        const double gap = target_ - position_;
        position_ = std::abs(gap) <= step ? target_ : position_ + (gap > 0 ? step : -step);
    }
    lastTime_ = t;
    if (!c.hold)
        target_ = std::clamp(c.azimuthTarget, 0, 1199);
    if (Position() != target_ || position_ != static_cast<double>(target_))
        return 0;  // still turning
    return Answer(target_, reply);
}

void AzimuthDriveModel::Header(uint8_t type, uint8_t status, int32_t value14,
                               ReplyFrame& reply) const {
    const int32_t position = Position();
    reply.fill(0);
    reply[0] = 'I';
    reply[1] = type;
    reply[2] = 'X';
    reply[3] = static_cast<uint8_t>(identity_.Id());
    reply[4] = status;
    reply[5] = static_cast<uint8_t>(position & 0x7F);
    reply[6] = static_cast<uint8_t>((position >> 7) & 0x3F);
    Put14(reply, 10, value14);
}

int32_t AzimuthDriveModel::Answer(int32_t target, ReplyFrame& reply) const {
    Header('A', 0x40, target, reply);
    reply[12] = 0xFC;
    return 13;
}

int32_t AzimuthDriveModel::Identify(const SimCommand& c, ReplyFrame& reply) {
    identity_.Apply(c);
    Header('T', 0, NvRamSize, reply);
    std::copy(identity_.NvRam().begin(), identity_.NvRam().end(), reply.begin() + 12);
    reply[12 + NvRamSize] = 0xFC;
    return 13 + NvRamSize;
}

void OrientationModuleModel::Attitude(double t, HeadPose& pose) {
    pose.pitchDegrees = static_cast<float>(2.0 * std::sin(t / 7.0));
    pose.rollDegrees = static_cast<float>(3.0 * std::sin(t / 5.0 + 1.0));
    pose.headingDegrees =
        static_cast<float>(std::fmod(45.0 + 5.0 * std::sin(t / 30.0) + 360.0, 360.0));
}

int32_t OrientationModuleModel::Respond(const SimCommand& c, double t, ReplyFrame& reply) {
    // The module's firmware knows only its attitude request: a head scan finds nothing here.
    if (c.deviceId != OrientationModuleId || c.headScan)
        return 0;
    reply.fill(0);
    reply[0] = 'I';
    reply[1] = 'O';
    reply[2] = 'X';
    reply[3] = OrientationModuleId;
    const double jitter = (random_.Uniform() - 0.5) * 0.2;
    HeadPose attitude;
    Attitude(t, attitude);
    double pitch = attitude.pitchDegrees + jitter;
    double roll = attitude.rollDegrees - jitter;
    double heading = followHeading_ ? heading_ : attitude.headingDegrees;
    // A module on a working boat now and then reports a wild value (a knock, a magnetic
    // disturbance); the program's filter must ride over it.
    if (outlierEvery_ > 0 && ++replies_ % outlierEvery_ == 0) {
        switch (random_.Next() % 3) {
            case 0:
                pitch += 25.0;
                break;
            case 1:
                roll -= 30.0;
                break;
            default:
                heading = std::fmod(heading + 90.0, 360.0);
                break;
        }
    }
    Put14(reply, 18, static_cast<int32_t>(std::lround(pitch * 10.0 + 900.0)));
    Put14(reply, 20, static_cast<int32_t>(std::lround(roll * 10.0 + 900.0)));
    Put14(reply, 22, static_cast<int32_t>(std::lround(heading * 10.0)) % 3600);
    reply[28] = 0xFC;
    return 29;
}

}  // namespace tarvisk::sim
