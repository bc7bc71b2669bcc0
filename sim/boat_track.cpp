#include "sim/boat_track.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace tarvisk::sim {

namespace {

bool ParseDouble(std::string_view text, double& value) {
    if (text.empty())
        return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

bool ParseBoatTrack(std::string_view text, BoatTrack& track, std::string* error) {
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',');
        const std::string_view part = i < 3 ? text.substr(0, comma) : text;
        if ((i < 3 && comma == std::string_view::npos) || !ParseDouble(part, v[i])) {
            if (error)
                *error = "a track is LAT,LON,HEADING,SPEED in degrees and metres a second";
            return false;
        }
        if (i < 3)
            text.remove_prefix(comma + 1);
    }
    if (std::fabs(v[0]) > 89.0 || std::fabs(v[1]) > 180.0 || v[2] < 0.0 || v[2] >= 360.0 ||
        v[3] < 0.0 || v[3] > 30.0) {
        if (error)
            *error =
                "track out of range: latitude within 89, longitude within 180, heading "
                "0 to 360, speed 0 to 30 m/s";
        return false;
    }
    track = {v[0], v[1], v[2], v[3]};
    return true;
}

TrackPoint PositionOnTrack(const BoatTrack& track, double seconds) {
    // WGS 84 radii of curvature at the start latitude.
    constexpr double a = 6378137.0;
    constexpr double e2 = 6.69437999014e-3;
    const double phi = track.latitude * std::numbers::pi / 180.0;
    const double w = std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
    const double meridian = a * (1.0 - e2) / (w * w * w);
    const double prime = a / w;
    const double d = DistanceOnTrack(track, seconds);
    const double h = track.headingDegrees * std::numbers::pi / 180.0;
    const double north = d * std::cos(h), east = d * std::sin(h);
    TrackPoint p;
    p.latitude = track.latitude + north / meridian * 180.0 / std::numbers::pi;
    p.longitude = track.longitude + east / (prime * std::cos(phi)) * 180.0 / std::numbers::pi;
    return p;
}

}  // namespace tarvisk::sim
