#pragma once
// The azimuth drive's side of the head line that is not the exchange itself: the angle the
// operator reads for a drive position, the reply a simulated drive gives, and the resets the
// menu commands and the mode switch apply.

#include <cstdint>
#include <string>

#include "head/head_link.h"

namespace tarvisk {

// Degrees shown for a drive position (0.3-degree steps, 600 ahead): position × 0.3 − 180,
// wrapped into 0..360 (360 or more shows as 0).
float AzimuthDisplayDegrees(int32_t position);

// The prompt of the simulated drive while an automated scan positions the transducer.
inline constexpr const char* ManualAdjustmentTitle = "Manual Azimuth Adjustment";
std::string ManualAdjustmentText(int32_t azimuthAngle);

// Puts the reply a drive standing at AzimuthAngle would give into the reply buffer and makes
// it the expected reply, so that the normal check and decode take it.
void FillSimulatedAzimuthReply(HeadLink& link);

// Drive enabled in live mode, or live mode entered with the drive enabled: it must be found
// again before its position counts.
void ResetAzimuthDriveState(HeadLink& link);
// Drive disabled or simulation switched off: no exchange, no counts.
void StopAzimuthPolling(HeadLink& link);

// The text "Azimuth Drive Not Found" stands in the status strip.
inline constexpr const char* AzimuthNotFoundText = "Azimuth Drive Not Found";

}  // namespace tarvisk
