#include "head/expected_reply.h"

#include "head/head_link.h"

namespace tarvisk {

ReplyShape ReplyShapeFor(uint8_t replyType, int32_t dataBits) {
    switch (replyType) {
        case ReplyTypeSector:
            if (dataBits == 4)
                return {ReplyTypeSector, 265, 2, 499};
            if (dataBits == 16)
                return {ReplyTypeSector, 513, 3, 250};
            return {ReplyTypeSector, 513, 3, 499};
        case ReplyTypePolar:
            if (dataBits == 4)
                return {ReplyTypePolar, 141, 1, 250};
            if (dataBits == 16)
                return {ReplyTypePolar, 513, 3, 250};
            return {ReplyTypePolar, 265, 2, 250};
        case ReplyTypeProfile:
            return {ReplyTypeProfile, 13, 0, 0};
        case ReplyTypeHeadScan:
            return {ReplyTypeHeadScan, 77, 1, 0};
        case ReplyTypeAzimuth:
            return {ReplyTypeAzimuth, 13, 0, 0};
        case ReplyTypeOrientation:
            return {ReplyTypeOrientation, 29, 1, 0};
        default:
            return {replyType, 13, 0, 0};
    }
}

uint8_t ExpectedReplyType(const SonarSettings& s, bool orientationRequest, bool azimuthPending,
                          bool headScanActive) {
    if (orientationRequest)
        return ReplyTypeOrientation;
    if (azimuthPending)
        return ReplyTypeAzimuth;
    if (headScanActive)
        return ReplyTypeHeadScan;
    if (s.Profile == PointsOnly)
        return ReplyTypeProfile;
    switch (s.GridMode.Get()) {
        case Sector:
            return ReplyTypeSector;
        case SS:
            return s.SSChannel == BothChannels ? ReplyTypePolar : ReplyTypeSector;
        case Profile:
            return ReplyTypeProfile;
        default:
            return ReplyTypePolar;
    }
}

void SetExpectedReply(HeadLink& link, bool orientationRequest) {
    uint8_t type = ExpectedReplyType(link.Settings, orientationRequest,
                                     link.AzimuthExchangePending != 0, link.HeadScanActive != 0);
    ReplyShape shape = ReplyShapeFor(type, link.Settings.DataBits);
    link.Expected.ReplyType = shape.ReplyType;
    link.Expected.ExpectedReplyLength = shape.Length;
    link.Expected.RecordSizeCode = shape.RecordSizeCode;
    if (shape.SamplesPerLine > 0)
        link.Expected.SamplesPerLine = shape.SamplesPerLine;
}

}  // namespace tarvisk
