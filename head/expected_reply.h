#pragma once
// Which reply the program waits for after a command, how long it is, the data-file record
// size code that goes with it, and how many samples a drawn line has.

#include <cstdint>

#include "head/shot_record.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

struct HeadLink;

struct ReplyShape {
    uint8_t ReplyType = ReplyTypePolar;
    int32_t Length = 265;
    int32_t RecordSizeCode = 2;
    int32_t SamplesPerLine = 0;  // 0: the reply has no echo line and leaves the count alone
};

// The frame a device sends for a reply type at a sample resolution ("G", "M", "P", "T",
// "A", "O"); an unknown type gives a 13-byte frame without data.
ReplyShape ReplyShapeFor(uint8_t replyType, int32_t dataBits);

// The reply type a head command asks for: orientation request first, then azimuth exchange,
// head scan, Points Only, and last the display mode.
uint8_t ExpectedReplyType(const SonarSettings& settings, bool orientationRequest,
                          bool azimuthPending, bool headScanActive);

// Sets the link's ExpectedReply for the command about to be sent. `orientationRequest` is
// true only when the sender addresses the orientation module.
void SetExpectedReply(HeadLink& link, bool orientationRequest = false);

}  // namespace tarvisk
