#pragma once
// A simulated boat on a straight line: from a start position on a heading at a steady speed.
// The GPS talker reports where it is, the orientation module its heading, and the head sees
// the scene go by as the boat moves ahead.

#include <string>
#include <string_view>

namespace tarvisk::sim {

struct BoatTrack {
    double latitude = 0.0;        // start, degrees north
    double longitude = 0.0;       // start, degrees east
    double headingDegrees = 0.0;  // true heading, clockwise from north
    double speedMetresPerSecond = 0.0;
};

// "LAT,LON,HEADING,SPEED" (degrees, degrees, degrees, m/s); false with a message when any
// part is missing or out of range.
bool ParseBoatTrack(std::string_view text, BoatTrack& track, std::string* error);

struct TrackPoint {
    double latitude = 0.0;
    double longitude = 0.0;
};

// Where the boat is after this many seconds on the track (WGS 84; the short distances of a
// survey line are taken along the local meridian and parallel).
TrackPoint PositionOnTrack(const BoatTrack& track, double seconds);
// Metres run along the track after this many seconds.
inline double DistanceOnTrack(const BoatTrack& track, double seconds) {
    return track.speedMetresPerSecond * seconds;
}

}  // namespace tarvisk::sim
