#pragma once
// The reply buffer the acquisition thread (or playback) fills, the reply the program expects
// for the command just sent, and the decoded shot that the pipeline, drawings and recorder read.
// One of each exists for the whole run.

#include <array>
#include <cstdint>

#include "settings/shared_value.h"

namespace tarvisk {

inline constexpr size_t ReplyBufferSize = 4096;
inline constexpr size_t EchoLineSize = 640;
inline constexpr size_t ReplyHeaderSize = 12;

inline constexpr uint8_t ReplyTypeSector = 'G';
inline constexpr uint8_t ReplyTypePolar = 'M';
inline constexpr uint8_t ReplyTypeProfile = 'P';
inline constexpr uint8_t ReplyTypeHeadScan = 'T';
inline constexpr uint8_t ReplyTypeAzimuth = 'A';
inline constexpr uint8_t ReplyTypeOrientation = 'O';
inline constexpr uint8_t ReplyTermination = 0xFC;

// Set by the sender before each command; read when the reply is checked. In playback the
// player sets it from the record being played.
struct ExpectedReply {
    SharedInt ReplyType{ReplyTypePolar};
    SharedInt ExpectedReplyLength{265};
    SharedInt RecordSizeCode{2};
    SharedInt SamplesPerLine{250};
};

struct ReplyBuffer {
    std::array<uint8_t, ReplyBufferSize> bytes{};
};

struct ShotRecord {
    std::array<uint8_t, ReplyHeaderSize> HeaderCopy{};
    int32_t HeadId = 0;
    int32_t SerialStatus = 0;
    int32_t EchoStartSelector = 0;
    int32_t Chirp = 0;
    int32_t HeadPosition = 600;
    int32_t LastAcceptedPosition = 600;
    int32_t StepDirection = 0;
    int32_t DrawDirection = 0;
    int32_t RangeByte = 0;
    int32_t ProfileRange = 0;
    int32_t DataByteCount = 0;
    int32_t TerminationByte = 0;
    int32_t EchoStartOffset = 0;
    float EchoStartDistance = 0.0f;  // blanking distance covered by the offset, metres
    std::array<uint8_t, EchoLineSize> EchoLine{};
    int32_t EchoLevelCount = 0;  // entries of EchoLine written, the offset included
    int32_t ProfileSampleIndex = 0;
    float HeadAngleDegrees = 0.0f;
    float HeadAngleRadians = 0.0f;
    int32_t ShotSpeed = 0;  // Speed in effect for the shot, for the panel
};

}  // namespace tarvisk
