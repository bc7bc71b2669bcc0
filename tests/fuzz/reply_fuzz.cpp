// Any bytes as a head reply, checked against any expected reply under any settings: the check
// and the decode must neither crash nor touch memory outside the reply buffer and the shot.
//
// Input layout: a 40-byte preamble that chooses the expectation and the settings (valid
// values mostly, raw 32-bit values for a few fields), then the reply bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "head/expected_reply.h"
#include "head/reply_decode.h"

using namespace tarvisk;

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
    float Float() {
        uint32_t bits = static_cast<uint32_t>(Int());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
};

constexpr size_t PreambleSize = 40;
constexpr uint8_t Types[] = {'G', 'M', 'P', 'T', 'A', 'O', 'Q'};
constexpr int32_t Bits[] = {4, 8, 16, 12};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    SonarSettings s;
    HeadLink link(s);

    uint8_t mode = in.Byte();
    ApplyRangeIndex(s, in.Byte() % RangeCount);
    ApplyDisplayMode(s, mode % 4);
    s.DataBits = Bits[in.Byte() % 4];
    s.Profile = in.Byte() % 5;
    s.ProfileDigitizationSource = in.Byte() % 2;
    s.ProfileDetectionType = in.Byte() % 2;
    uint8_t flags = in.Byte();
    s.Xdcr = flags & 1;
    s.ProfileGrid = (flags >> 1) & 1;
    s.ZeroDown = (flags >> 2) & 1;
    s.Units = (flags >> 3) & 1;
    s.RunMode = (flags >> 4) & 1;
    link.HeadScanActive = (flags >> 5) & 1;
    bool rawRange = (flags >> 6) & 1;
    s.PulseLength = in.Int();
    s.Train = in.Int();
    s.ProfileMinimumLevel = in.Int();
    s.RotateAngle = in.Float();
    s.ProfileMinimumRange = in.Float();
    if (rawRange) {
        s.RangeMeters = in.Int();
        s.RangeScale = in.Float();
        s.SampleSpacing = in.Float();
    }
    SetExpectedReply(link, (flags >> 7) != 0);
    uint8_t typeChoice = in.Byte();
    if (typeChoice & 0x80)
        link.Expected.ReplyType = Types[typeChoice % 7];
    uint16_t length = static_cast<uint16_t>(in.Byte() << 8 | in.Byte());
    if (length & 0x8000)
        link.Expected.ExpectedReplyLength = length & 0x1FFF;  // up to 8191
    int32_t samples = in.Int();
    if (samples & 0x1000)
        link.Expected.SamplesPerLine = samples;

    size_t replySize = size > PreambleSize ? size - PreambleSize : 0;
    replySize = std::min(replySize, ReplyBufferSize);
    if (replySize > 0)
        std::memcpy(link.Reply.bytes.data(), data + PreambleSize, replySize);

    // Often make the frame pass the check, so the decode itself gets exercised.
    int32_t expectedLength = link.Expected.ExpectedReplyLength;
    if ((typeChoice & 0x40) && expectedLength >= 13 &&
        expectedLength <= static_cast<int32_t>(ReplyBufferSize)) {
        link.Reply.bytes[0] = 'I';
        link.Reply.bytes[1] = static_cast<uint8_t>(link.Expected.ReplyType.Get());
        link.Reply.bytes[2] = 'X';
        link.Reply.bytes[expectedLength - 1] = ReplyTermination;
    }

    ShotRecord before = link.Shot;
    bool accepted = CheckAndDecodeReply(link);
    if (!accepted && std::memcmp(&before, &link.Shot, sizeof before) != 0)
        __builtin_trap();
    const ShotRecord& shot = link.Shot;
    if (shot.EchoLevelCount < 0 || shot.EchoLevelCount > static_cast<int32_t>(EchoLineSize))
        __builtin_trap();
    if (shot.EchoStartOffset < 0 || shot.EchoStartOffset > 99)
        __builtin_trap();
    if (*std::max_element(shot.EchoLine.begin(), shot.EchoLine.end()) > 107)
        __builtin_trap();
    return 0;
}
