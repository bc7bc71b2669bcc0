#pragma once
// The side-scan waterfall: each shot is one row, the picture scrolls one row per shot (down
// normally, up while playback steps backwards so that stepping back undoes the scroll).

#include <cstdint>

#include "settings/sonar_settings.h"
#include "imaging/echo_history.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

// Scrolls, redraws the dashed track column, writes the new line and blanks the columns
// beyond the track. The caller holds the image lock.
void DrawSideScanPixels(const SonarSettings& settings, const EchoLineArray& echoLine,
                        int32_t sampleCount, bool backwards, SonarImage& image);

}  // namespace tarvisk
