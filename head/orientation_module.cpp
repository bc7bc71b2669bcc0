#include "head/orientation_module.h"

#include <algorithm>
#include <cmath>

namespace tarvisk {

namespace {

constexpr float MadScale = 1.4826f;  // median absolute deviation to standard deviation

float Limit(float v, float low, float high) {
    return std::min(std::max(v, low), high);
}

// Pitch and roll: centred raw value, offset, limits; beyond ±45 the previous value stands.
float TiltAngle(int32_t raw, float offset, float previous) {
    float a = static_cast<float>(raw - 900) * 0.1f;
    a = Limit(a, -90.0f, 90.0f);
    a = Limit(a + offset, -90.0f, 90.0f);
    if (a < -45.0f || a > 45.0f)
        return previous;
    return a;
}

}  // namespace

float MedianOfThree(float a, float b, float c) {
    const std::array<float, 3> v{a, b, c};
    size_t lo = 0, hi = 0;
    for (size_t i = 1; i < 3; ++i) {
        if (v[i] < v[lo])
            lo = i;
        if (v[i] > v[hi])
            hi = i;
    }
    if (lo == hi)
        return v[0];  // all three equal
    return v[3 - lo - hi];
}

float FilterNewest(float x0, float x1, float x2) {
    const float m = MedianOfThree(x0, x1, x2);
    const float d = MedianOfThree(std::fabs(x0 - m), std::fabs(x1 - m), std::fabs(x2 - m));
    return std::fabs(x0 - m) < MadScale * d ? x0 : m;
}

float OutlierFilter::Push(float value) {
    history_[2] = history_[1];
    history_[1] = history_[0];
    history_[0] = value;
    if (samples_ == 0) {
        samples_ = 1;
        return value;
    }
    return FilterNewest(history_[0], history_[1], history_[2]);
}

void OutlierFilter::Reset() {
    history_ = {};
    samples_ = 0;
}

void ApplyOrientationReply(OrientationModule& m, const OrientationReplyFields& reply,
                           const SonarSettings& settings) {
    const float pitch = TiltAngle(reply.RawPitch, settings.PitchOffset, m.PreviousPitch);
    m.Pitch = pitch;
    m.FilteredPitch = m.PitchFilter.Push(pitch);
    m.PreviousPitch = pitch;

    const float roll = TiltAngle(reply.RawRoll, settings.RollOffset, m.PreviousRoll);
    m.Roll = roll;
    m.FilteredRoll = m.RollFilter.Push(roll);
    m.PreviousRoll = roll;

    float h = Limit(static_cast<float>(reply.RawHeading) * 0.1f, 0.0f, 359.9f);
    h += settings.HeadingOffset;
    if (h >= 360.0f)
        h -= 360.0f;
    if (h < 0.0f)
        h += 360.0f;
    m.Heading = h;
    m.FilteredHeading = m.HeadingFilter.Push(h);
}

void ResetOrientation(OrientationModule& m, HeadLink& link) {
    m.PitchFilter.Reset();
    m.RollFilter.Reset();
    m.HeadingFilter.Reset();
    m.Pitch = 0.0f;
    m.Roll = 0.0f;
    m.Heading = 0.0f;
    m.FilteredPitch = 0.0f;
    m.FilteredRoll = 0.0f;
    m.FilteredHeading = 0.0f;
    m.PreviousPitch = 0.0f;
    m.PreviousRoll = 0.0f;
    link.OrientationRequestsUnanswered = 5;
}

bool OrientationRequestDue(const HeadLink& link, int32_t clockSecond) {
    const int32_t last = link.LastOrientationSecond;
    if (clockSecond == last)
        return false;
    if (last < 0 || !OrientationValuesStale(link))
        return true;
    // Clock seconds run 0..59; a minute's wrap counts on.
    const int32_t elapsed = ((clockSecond - last) % 60 + 60) % 60;
    return elapsed >= OrientationRetrySeconds;
}

}  // namespace tarvisk
