#pragma once
// A survey recording made without threads or a line: the program's own command builder and
// GPS parser, the simulator's head, orientation module and GPS talker on a boat track, and
// the recorder's record encoder, stepped on a simulated clock. What the live program would
// have written, shot for shot, and the same every time.

#include <cstdint>
#include <string>

#include "sim/boat_track.h"
#include "sim/scene.h"

namespace tarvisk::test {

struct SurveyPlan {
    sim::BoatTrack track{40.3977, -3.6527, 30.0, 1.0};
    sim::SceneKind scene = sim::SceneKind::Harbour;
    int32_t gridMode = 1;  // Sector 0, Polar 1
    int32_t speed = 4;
    int32_t rangeIndex = -1;  // the settings' default range when negative
    double seconds = 40.0;
    double shotSeconds = 0.05;        // one shot every this long
    double startUnix = 1796796000.0;  // 2026-12-09 06:00:00 UTC
    bool gps = true;
    bool orientation = true;
    uint64_t seed = 7;
};

struct SurveyRecording {
    int64_t records = 0;
    int64_t shots = 0;
    int64_t bytes = 0;
};

// Writes the recording; records carry the UTC time of the simulated clock.
SurveyRecording WriteSimulatedSurvey(const std::string& path, const SurveyPlan& plan);

}  // namespace tarvisk::test
