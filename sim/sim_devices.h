#pragma once
// The three devices on the simulated line. Each answers only the frames addressed to it and
// writes its whole reply frame ("I", type, "X", header, data, 0xFC) into a caller's buffer.

#include <array>
#include <cstdint>

#include "sim/device_identity.h"
#include "sim/scene.h"
#include "sim/sim_command.h"

namespace tarvisk::sim {

inline constexpr size_t MaxReplySize = 513;
using ReplyFrame = std::array<uint8_t, MaxReplySize>;
// The head calls a return "strong" (and reports it as the profile range) from this level on.
inline constexpr int32_t ProfileLevel = 160;

// Reply type and length the head answers a command with.
struct ReplyShape {
    uint8_t type = 'P';
    int32_t length = 13;
    int32_t samples = 0;
    int32_t dataBits = 8;
};
ReplyShape ShapeFor(const SimCommand& command);

class SonarHeadModel {
  public:
    explicit SonarHeadModel(uint64_t seed, int32_t headId = 16,
                            SceneKind scene = SceneKind::Harbour,
                            DeviceKind kind = DeviceKind::ImagingHead);

    int32_t HeadId() const { return identity_.Id(); }
    int32_t Position() const { return position_; }
    bool StepDirection() const { return direction_; }
    const NvRamBlock& NvRam() const { return identity_.NvRam(); }
    // Where the drive and the mounting point the transducer for the next shots.
    void SetPose(const HeadPose& pose) { scene_.SetPose(pose); }

    // Answers a command addressed to this head (returns the reply length) or ignores it (0).
    // Each answered shot is taken at the current position; the head then steps within the
    // commanded sector, reversing at its edges.
    int32_t Respond(const SimCommand& command, ReplyFrame& reply);

  private:
    void Step(const SimCommand& command);
    void Header(ReplyFrame& reply, uint8_t type, const SimCommand& command, int32_t profile,
                int32_t dataCount) const;

    Scene scene_;
    Random random_;
    DeviceIdentity identity_;
    int32_t position_ = 600;
    bool direction_ = false;  // false: stepping up, true: stepping down after a reversal
    int64_t shots_ = 0;
};

class AzimuthDriveModel {
  public:
    // Steps per answered command while moving; 0 moves at once.
    explicit AzimuthDriveModel(int32_t stepsPerReply = 0, uint64_t seed = 1)
        : rate_(stepsPerReply),
          identity_(DeviceKind::AzimuthDrive, AzimuthDriveId,
                    FactorySerialNumber(seed, AzimuthDriveId)) {}
    int32_t Position() const { return static_cast<int32_t>(position_); }
    int32_t Id() const { return identity_.Id(); }
    const NvRamBlock& NvRam() const { return identity_.NvRam(); }
    int32_t Respond(const SimCommand& command, ReplyFrame& reply);
    // A drive that turns in real time: it keeps turning toward the last commanded position
    // at `stepsPerSecond` and stays silent until it stands there, as a real drive does.
    void TurnInRealTime(double stepsPerSecond) { perSecond_ = stepsPerSecond; }
    int32_t Respond(const SimCommand& command, double timeSeconds, ReplyFrame& reply);

  private:
    // "I", type, "X", ID, status, position, and the 14-bit value of bytes 10 and 11.
    void Header(uint8_t type, uint8_t status, int32_t value14, ReplyFrame& reply) const;
    int32_t Answer(int32_t target, ReplyFrame& reply) const;
    // The drive identifies itself to a head scan like a head does, and takes a new ID.
    int32_t Identify(const SimCommand& command, ReplyFrame& reply);

    int32_t rate_;
    DeviceIdentity identity_;
    double perSecond_ = 0.0;
    double position_ = 600.0;
    int32_t target_ = 600;
    double lastTime_ = -1.0;
};

class OrientationModuleModel {
  public:
    explicit OrientationModuleModel(uint64_t seed) : random_(seed ^ 0x5A5A) {}
    // Every how many replies one angle carries a wild reading (0: never).
    void SetOutlierEvery(int32_t replies) { outlierEvery_ = replies; }
    // On a straight track the heading is the track's, without the slow swing.
    void FollowHeading(double degrees) {
        followHeading_ = true;
        heading_ = degrees;
    }
    // timeSeconds drives the slow pitch, roll and heading motion.
    int32_t Respond(const SimCommand& command, double timeSeconds, ReplyFrame& reply);
    // The mounting's true attitude at that time (what the replies report, less their jitter
    // and wild readings): the head's beam follows it.
    static void Attitude(double timeSeconds, HeadPose& pose);

  private:
    Random random_;
    int32_t outlierEvery_ = 0;
    int64_t replies_ = 0;
    bool followHeading_ = false;
    double heading_ = 0.0;
};

}  // namespace tarvisk::sim
