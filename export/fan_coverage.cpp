#include "export/fan_coverage.h"

#include <cmath>
#include <numbers>

namespace tarvisk {

int32_t FanCoverage::BinOf(double radians) {
    double turns = radians / (2.0 * std::numbers::pi);
    turns -= std::floor(turns);
    int32_t bin = static_cast<int32_t>(turns * Bins);
    return bin >= Bins ? 0 : bin;
}

void FanCoverage::MarkFan(double screenRadians, double halfWidthRadians) {
    const double step = 2.0 * std::numbers::pi / Bins;
    for (double a = screenRadians - halfWidthRadians; a <= screenRadians + halfWidthRadians;
         a += step * 0.5)
        bins_[static_cast<size_t>(BinOf(a))] = 1;
}

bool FanCoverage::Covers(double screenRadians) const {
    return bins_[static_cast<size_t>(BinOf(screenRadians))] != 0;
}

}  // namespace tarvisk
