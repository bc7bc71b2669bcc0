#pragma once
// The GPS track of a recording: each new fix with the record time it arrived at, and the
// transducer's position at any record time. A record stores the position to a thousandth of
// a minute (nearly 2 m of latitude), cut off; a straight line fitted over the fixes of a few
// seconds around the time, through the middle of each stored cell, puts the boat back within
// a fraction of that.

#include <optional>
#include <string>
#include <vector>

#include "export/record_values.h"
#include "export/utm_projection.h"

namespace tarvisk {

struct TrackFix {
    double seconds = 0.0;  // record clock (RecordSeconds) when the fix was current
    GeoPosition stored;    // as the record holds it
    MapPoint map;          // the cell's middle, in the track's UTM zone
    RecordTime time;       // record time the fix first appeared
    std::string utc;       // the receiver's UTC text, when it sent one
};

struct TrackState {
    MapPoint position;
    double east_mps = 0.0;  // velocity of the fitted line
    double north_mps = 0.0;
};

class GpsTrack {
  public:
    // Reads every record of the file; false with a message when it cannot be read.
    bool Read(const std::string& ksdPath, std::string* error);
    // Sets up the projection of the first fix's zone; false without any fix.
    bool Project(std::string* error);

    const std::vector<TrackFix>& Fixes() const { return fixes_; }
    const UtmProjection& Projection() const { return projection_; }
    // Position and velocity at a record time; seconds around it weigh in.
    TrackState At(double seconds) const;

    static constexpr double FitHalfWindowSeconds = 4.0;

  private:
    std::vector<TrackFix> fixes_;
    UtmProjection projection_;
};

}  // namespace tarvisk
