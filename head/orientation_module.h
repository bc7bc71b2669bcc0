#pragma once
// Pitch, roll and heading from the orientation module: the raw 0.1-degree values of an "O"
// reply turned into degrees, offset, limited and passed through a median outlier filter.
// Written on the thread that decodes (acquisition or playback), read by the windows, the
// diagnostics and the exports without a lock.

#include <array>
#include <cstdint>

#include "head/head_link.h"
#include "settings/shared_value.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// Median-of-three outlier filter over the last three values of one angle, newest first.
class OutlierFilter {
  public:
    // Pushes the value and returns the filtered one. The first value after a reset passes.
    float Push(float value);
    void Reset();
    const std::array<float, 3>& History() const { return history_; }

  private:
    std::array<float, 3> history_{};
    int32_t samples_ = 0;
};

// The filter rule on three values alone (x0 newest).
float FilterNewest(float x0, float x1, float x2);
// Median of three: the smallest and largest are removed, the earliest index counting as both
// when values are equal.
float MedianOfThree(float a, float b, float c);

struct OrientationModule {
    // Values shown and exported.
    SharedFloat FilteredPitch{0.0f};
    SharedFloat FilteredRoll{0.0f};
    SharedFloat FilteredHeading{0.0f};
    // After offsets and limits, before the filter.
    SharedFloat Pitch{0.0f};
    SharedFloat Roll{0.0f};
    SharedFloat Heading{0.0f};
    float PreviousPitch = 0.0f;
    float PreviousRoll = 0.0f;
    OutlierFilter PitchFilter, RollFilter, HeadingFilter;
};

// Applies the angles of the "O" reply in link.Orientation; the link's unanswered count is
// cleared by the decode.
void ApplyOrientationReply(OrientationModule& module, const OrientationReplyFields& reply,
                           const SonarSettings& settings);

// Clears every value and history and sets the unanswered count to 5, so the window shows
// "n/a" until the module answers again.
void ResetOrientation(OrientationModule& module, HeadLink& link);

// The window and diagnostics show "n/a" while more than four requests are unanswered.
inline bool OrientationValuesStale(const HeadLink& link) {
    return link.OrientationRequestsUnanswered > 4;
}

// A module that shows "n/a" (none fitted, or switched off) is asked only this often, so the
// line goes to the head for the rest of the time.
inline constexpr int32_t OrientationRetrySeconds = 5;
// How long an orientation request may hold the line while not a byte of an answer has come:
// a fitted module answers within a few milliseconds, and a missing one must not stall the head
// until the no-data re-send.
inline constexpr int64_t OrientationReplyTimeoutMicroseconds = 250000;

// Whether the command about to be sent may be an orientation request, at this clock second:
// at most one per second, and one per OrientationRetrySeconds while the values show "n/a".
bool OrientationRequestDue(const HeadLink& link, int32_t clockSecond);

}  // namespace tarvisk
