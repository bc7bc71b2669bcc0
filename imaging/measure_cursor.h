#pragma once
// The measurement cursor's arithmetic: where a window point lies in real units, as the three
// readout lines under the magnifier show it ("Org:", "Tar:", "Diff:"). Plain values in, fixed
// text buffers out, so the readouts can follow every shot without allocating.

#include <array>
#include <cstdint>

#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// The window area over which the mouse measures (inclusive 3..598, 3..508; column 598 is
// range 0 of a port-side line).
inline constexpr Rect MeasureArea{3, 3, 599, 509};

// The readouts' view of the settings, read once per update so that a line never mixes two
// settings the other thread changed in between.
struct MeasureView {
    int32_t gridMode = Polar;
    int32_t profileGrid = 0;
    int32_t zeroDown = 1;
    int32_t train = 0;
    int32_t units = Metres;
    int32_t rangeMeters = 50;
    int32_t ssChannel = PortChannel;
    float sampleSpacing = 0.1f;
    float soundVelocity = 1500.0f;
    float profileXOffset = 0.0f;
    float profileElevation = 0.0f;
    float heading = 0.0f;  // the orientation module's heading, degrees
};

MeasureView MeasureViewOf(const SonarSettings& settings, float heading);

struct MeasureReadoutLine {
    // Empty except in profile-grid work, where the label stands in a column of its own.
    std::array<char, 8> label{};
    std::array<char, 64> text{};
};

struct MeasureReadouts {
    std::array<MeasureReadoutLine, 3> lines{};  // Org, Tar, Diff
};

// The three lines for the pointer at `target`; `origin` counts only while `measuring`.
MeasureReadouts ComposeMeasureReadouts(const MeasureView& view, Point target, bool measuring,
                                       Point origin);

// The pieces, for callers that need one value.
struct PlanPosition {
    double range = 0.0;    // metres along the image, before sound velocity and units
    double bearing = 0.0;  // degrees, 0 <= bearing < 360, without the heading
};
int32_t PlanReferenceRow(const MeasureView& view, int32_t y);
PlanPosition PlanPositionOf(const MeasureView& view, Point p);
// Bearing from one window point to another (degrees, 0 up, clockwise), with Train in Sector.
double PlanBearingBetween(const MeasureView& view, Point from, Point to);
// Samples from the side-scan track column to the pointer, 0..500.
int32_t SideScanSampleAt(const MeasureView& view, int32_t x);

}  // namespace tarvisk
