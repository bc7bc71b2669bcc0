#pragma once
// Which part of the plan view the fans have drawn since the picture was last cleared: the
// screen bearings swept, in tenths of a degree, out to the shot's radius. Everything else is
// outside the fan and transparent on a map.

#include <array>
#include <cstdint>

#include "imaging/shot_hooks.h"

namespace tarvisk {

// Where the fans start on the image and which way bearing 0 points.
struct PlanViewGeometry {
    int32_t originX = 298;
    int32_t originY = 253;
    bool hanging = false;  // bearing 0 points down (profile grid with zero up)
    int32_t radius = 250;  // pixels: one per sample
};

class FanCoverage {
  public:
    static constexpr int32_t Bins = 3600;

    void Clear() { bins_.fill(0); }
    // A fan around this screen bearing (radians, clockwise from up) of this half-width.
    void MarkFan(double screenRadians, double halfWidthRadians);
    bool Covers(double screenRadians) const;

  private:
    static int32_t BinOf(double radians);
    std::array<uint8_t, Bins> bins_{};
};

}  // namespace tarvisk
