#pragma once
// The echo levels of the last three drawn shots; the fan interpolates between them.

#include <array>
#include <cstdint>

#include "settings/shared_value.h"
#include "head/shot_record.h"

namespace tarvisk {

using EchoLineArray = std::array<uint8_t, EchoLineSize>;

struct EchoHistory {
    EchoLineArray OldestLine{};
    EchoLineArray MiddleLine{};
    EchoLineArray NewestLine{};
    // Set by playback when it starts or wraps: the next shift fills all three lines from the
    // incoming shot, so the first fan is not interpolated from stale lines.
    SharedInt HistorySeedPending{0};
};

// Moves each line back by one and puts the first sampleCount samples of echoLine in front.
void ShiftHistory(EchoHistory& history, const EchoLineArray& echoLine, int32_t sampleCount);

}  // namespace tarvisk
