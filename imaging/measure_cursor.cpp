#include "imaging/measure_cursor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvisk {
namespace {

constexpr double DegreesPerRadian = 57.29577951;
constexpr double ReadoutFeetPerMetre = 3.2808398950131231941;
constexpr double LargestFeetShown = 999.99;
constexpr double NoDistance = 0.000001;
constexpr int32_t CentreColumn = 300;  // horizontal offsets count from here
constexpr int32_t QuadrantColumn = 301;

bool SectorLike(const MeasureView& v) {
    return v.gridMode == Sector || v.gridMode == Profile;
}

double PixelScale(const MeasureView& v) {
    return double(v.sampleSpacing) * (v.gridMode == Polar ? 2.0 : 1.0);
}

// Sound velocity, then the units; feet stop at what the readout has room for.
double Shown(const MeasureView& v, double metres) {
    double value = metres * double(v.soundVelocity) / 1500.0;
    if (v.units == Feet) {
        value *= ReadoutFeetPerMetre;
        if (value > LargestFeetShown)
            value = LargestFeetShown;
    }
    return value;
}

// A heading may be negative after its offset; one turn either way brings it into 0..360.
double AddHeading(double bearing, double heading) {
    bearing += heading;
    if (bearing >= 360.0)
        bearing -= 360.0;
    if (bearing < 0.0)
        bearing += 360.0;
    return bearing;
}

int32_t RangeDecimals(const MeasureView& v) {
    return v.rangeMeters > 4 ? 2 : 3;
}

const char* UnitName(const MeasureView& v) {
    return v.units == Feet ? "FT" : "M";
}

template <size_t N>
void Copy(std::array<char, N>& out, const char* text) {
    std::snprintf(out.data(), N, "%s", text);
}

MeasureReadouts PlanReadouts(const MeasureView& v, Point target, bool measuring, Point origin) {
    const PlanPosition tar = PlanPositionOf(v, target);
    PlanPosition org;
    PlanPosition diff = tar;
    if (measuring) {
        org = PlanPositionOf(v, origin);
        diff.range =
            std::hypot(double(origin.x - target.x), double(origin.y - target.y)) * PixelScale(v);
        diff.bearing = PlanBearingBetween(v, origin, target);
    }
    const double heading = v.heading;
    const double tarBearing = AddHeading(tar.bearing, heading);
    const double orgBearing = measuring ? AddHeading(org.bearing, heading) : org.bearing;
    const double diffBearing = measuring ? diff.bearing : AddHeading(diff.bearing, heading);

    MeasureReadouts r;
    const int32_t decimals = RangeDecimals(v);
    const char* unit = UnitName(v);
    const char* names[3] = {"Org", "Tar", "Diff"};
    const double ranges[3] = {Shown(v, org.range), Shown(v, tar.range), Shown(v, diff.range)};
    const double bearings[3] = {orgBearing, tarBearing, diffBearing};
    for (size_t i = 0; i < 3; ++i)
        std::snprintf(r.lines[i].text.data(), r.lines[i].text.size(), "%s: %#06.*f %s, %#05.1f Deg",
                      names[i], decimals, ranges[i], unit, bearings[i]);
    return r;
}

MeasureReadouts ProfileGridReadouts(const MeasureView& v, Point target, bool measuring,
                                    Point origin) {
    const double k = PixelScale(v);
    auto offsets = [&](Point p, double& h, double& up) {
        h = double(p.x - CentreColumn) * k;
        up = double(PlanReferenceRow(v, p.y) - p.y) * k;
    };
    double tarH = 0, tarV = 0, orgH = 0, orgV = 0;
    offsets(target, tarH, tarV);
    double diff = std::hypot(tarH, tarV);
    if (measuring) {
        offsets(origin, orgH, orgV);
        diff = std::hypot(double(origin.x - target.x), double(origin.y - target.y)) * k;
    }
    // The survey's own reference is added last and is never converted.
    const double x0 = v.profileXOffset, z0 = v.profileElevation;
    MeasureReadouts r;
    const int32_t decimals = RangeDecimals(v);
    const char* unit = UnitName(v);
    Copy(r.lines[0].label, "Org:");
    Copy(r.lines[1].label, "Tar:");
    Copy(r.lines[2].label, "Diff:");
    std::snprintf(r.lines[0].text.data(), r.lines[0].text.size(), "% #06.*f %s, % #06.*f %s",
                  decimals, Shown(v, orgH) + x0, unit, decimals, Shown(v, orgV) + z0, unit);
    std::snprintf(r.lines[1].text.data(), r.lines[1].text.size(), "% #06.*f %s, % #06.*f %s",
                  decimals, Shown(v, tarH) + x0, unit, decimals, Shown(v, tarV) + z0, unit);
    std::snprintf(r.lines[2].text.data(), r.lines[2].text.size(), "% #06.*f %s", decimals,
                  Shown(v, diff), unit);
    return r;
}

MeasureReadouts SideScanReadouts(const MeasureView& v, Point target, bool measuring, Point origin) {
    const double tar = SideScanSampleAt(v, target.x) * double(v.sampleSpacing);
    double org = tar, diff = tar;
    if (measuring) {
        org = SideScanSampleAt(v, origin.x) * double(v.sampleSpacing);
        diff = std::fabs(org - tar);
    }
    const bool stbd = v.ssChannel == StbdChannel;
    const char* side = stbd ? "Stbd Side" : "Port Side";
    // The blanks wipe the tail of a longer line drawn before.
    const char* blanks = stbd ? "                 " : "                ";
    const int32_t decimals = RangeDecimals(v);
    const char* unit = UnitName(v);
    MeasureReadouts r;
    std::snprintf(r.lines[0].text.data(), r.lines[0].text.size(), "Org: %#06.*f %s, %s", decimals,
                  Shown(v, org), unit, side);
    std::snprintf(r.lines[1].text.data(), r.lines[1].text.size(), "Tar: %#06.*f %s, %s", decimals,
                  Shown(v, tar), unit, side);
    std::snprintf(r.lines[2].text.data(), r.lines[2].text.size(), "Diff: %#06.*f %s%s", decimals,
                  Shown(v, diff), unit, blanks);
    return r;
}

}  // namespace

MeasureView MeasureViewOf(const SonarSettings& s, float heading) {
    MeasureView v;
    v.gridMode = s.GridMode;
    v.profileGrid = s.ProfileGrid;
    v.zeroDown = s.ZeroDown;
    v.train = s.Train;
    v.units = s.Units;
    v.rangeMeters = s.RangeMeters;
    v.ssChannel = s.SSChannel;
    v.sampleSpacing = s.SampleSpacing;
    v.soundVelocity = s.SoundVelocityMeters;
    v.profileXOffset = s.ProfileXOffset;
    v.profileElevation = s.ProfileElevation;
    v.heading = heading;
    return v;
}

int32_t PlanReferenceRow(const MeasureView& v, int32_t y) {
    if (v.gridMode == Polar) {
        if (v.profileGrid)
            return 256;
        return y == 256 ? 256 : 255;
    }
    if (v.profileGrid)
        return v.zeroDown ? 507 : 4;
    return 508;
}

PlanPosition PlanPositionOf(const MeasureView& v, Point p) {
    const int32_t oy = PlanReferenceRow(v, p.y);
    const double dx = std::abs(p.x - CentreColumn);
    const double dy = std::abs(oy - p.y);
    double dist = std::sqrt(dx * dx + dy * dy);
    if (!(dist > 0.0))
        dist = NoDistance;
    double bearing = std::asin(std::min(dx / dist, 1.0)) * DegreesPerRadian;
    if (QuadrantColumn < p.x && oy < p.y)
        bearing = 180.0 - bearing;
    else if (QuadrantColumn >= p.x && oy < p.y)
        bearing = bearing + 180.0;
    else if (p.x < QuadrantColumn && oy >= p.y)
        bearing = 360.0 - bearing;
    if (SectorLike(v))
        bearing += v.train;
    if (bearing >= 360.0)
        bearing -= 360.0;
    return {dist * PixelScale(v), bearing};
}

double PlanBearingBetween(const MeasureView& v, Point from, Point to) {
    const double across = from.x - to.x;
    const double along = from.y - to.y;
    double dist = std::hypot(across, along);
    // Both ends on one pixel: no direction, show 0 rather than the arcsine of 0/0.
    if (!(dist > 0.0))
        return 0.0;
    double bearing = std::asin(std::clamp(across / dist, -1.0, 1.0)) * DegreesPerRadian;
    if (along < 0.0)
        bearing = 180.0 - bearing;
    else if (across < 0.0)
        bearing += 360.0;
    bearing = std::fabs(bearing - 360.0);
    if (SectorLike(v))
        bearing += v.train;
    if (bearing >= 360.0)
        bearing -= 360.0;
    if (bearing > 359.999999)
        bearing = 0.0;
    return bearing;
}

int32_t SideScanSampleAt(const MeasureView& v, int32_t x) {
    const int32_t d = v.ssChannel == StbdChannel ? x - 98 : 598 - x;
    return std::clamp(d, 0, 500);
}

MeasureReadouts ComposeMeasureReadouts(const MeasureView& v, Point target, bool measuring,
                                       Point origin) {
    if (v.gridMode == SS)
        return SideScanReadouts(v, target, measuring, origin);
    if (v.profileGrid)
        return ProfileGridReadouts(v, target, measuring, origin);
    return PlanReadouts(v, target, measuring, origin);
}

}  // namespace tarvisk
