#pragma once
// Checks the reply in the link's buffer against the reply expected, dispatches it by type and
// decodes sonar head replies into the link's ShotRecord.

#include <cstddef>
#include <cstdint>

#include "head/head_link.h"

namespace tarvisk {

enum class ReplyFault {
    None,
    BadLength,  // the expected length cannot hold a frame, or exceeds the buffer
    BadStart,   // byte 0 is not "I"
    BadType,    // byte 1 is not the expected reply type
    BadMarker,  // byte 2 is not "X"
    BadEnd,     // byte L-1 is not 0xFC
};

struct ReplyCheck {
    ReplyFault Fault = ReplyFault::None;
    size_t ByteIndex = 0;  // the offending byte
    uint8_t Expected = 0;
    uint8_t Actual = 0;
};

// The frame check alone, without side effects: first, second, third and last byte.
ReplyCheck CheckReplyFrame(const HeadLink& link);

// True when the buffer holds a valid reply of the expected type; it is then dispatched and,
// for "G", "M", "P" and "T", decoded into link.Shot. A rejected reply changes nothing.
bool CheckAndDecodeReply(HeadLink& link);

// Threshold of the software profile search for a ProfileMinimumLevel in percent, compared
// with raw 8-bit samples.
int32_t SoftwareProfileThreshold(int32_t profileMinimumLevel);

// Echo-start offset in samples for the current settings and the reply's selector bit, with
// the blanking distance in metres it covers.
struct EchoStart {
    int32_t Offset = 0;
    float Distance = 0.0f;
};
EchoStart ComputeEchoStart(const SonarSettings& settings, int32_t selector);

}  // namespace tarvisk
