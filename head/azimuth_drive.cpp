#include "head/azimuth_drive.h"

#include <cstdio>

#include "head/expected_reply.h"

namespace tarvisk {

float AzimuthDisplayDegrees(int32_t position) {
    float a = static_cast<float>(position) * 0.3f - 180.0f;
    if (a < 0.0f)
        a += 360.0f;
    if (a >= 360.0f)
        a = 0.0f;
    return a;
}

std::string ManualAdjustmentText(int32_t azimuthAngle) {
    char text[64];
    std::snprintf(text, sizeof text, "Adjust azimuth angle to %3.1f Deg then press OK.",
                  static_cast<double>(AzimuthDisplayDegrees(azimuthAngle)));
    return text;
}

void FillSimulatedAzimuthReply(HeadLink& link) {
    const ReplyShape shape = ReplyShapeFor(ReplyTypeAzimuth, link.Settings.DataBits);
    link.Expected.ReplyType = shape.ReplyType;
    link.Expected.ExpectedReplyLength = shape.Length;
    link.Expected.RecordSizeCode = shape.RecordSizeCode;
    const int32_t angle = link.Settings.AzimuthAngle;
    auto& b = link.Reply.bytes;
    b[0] = 0x49;
    b[1] = 0x41;
    b[2] = 0x58;
    b[3] = 0x1F;
    b[4] = 0x40;
    b[5] = static_cast<uint8_t>(angle & 0x7F);
    b[6] = static_cast<uint8_t>((angle & 0x3F80) >> 7);
    for (int i = 7; i < 12; ++i)
        b[static_cast<size_t>(i)] = 0;
    b[12] = 0xFC;
}

void ResetAzimuthDriveState(HeadLink& link) {
    link.ReportedAzimuthPosition = 0;
    link.AzimuthDetected = 0;
    link.AzimuthPollCount = 0;
}

void StopAzimuthPolling(HeadLink& link) {
    link.AzimuthExchangePending = 0;
    link.AzimuthPollCount = 0;
    link.AzimuthCommandCount = 0;
}

}  // namespace tarvisk
