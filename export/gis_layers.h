#pragma once
// The vector and virtual layers beside the sweep frames: a GDAL virtual mosaic of all
// frames, and the GPS track with the sweep centres as GeoJSON (WGS 84 degrees).

#include <string>
#include <vector>

#include "export/gps_track.h"

namespace tarvisk {

struct SweepCentre {
    std::string frame;  // file name of the frame
    std::string time;   // ISO 8601 record time
    GeoPosition position;
};

// False with GDAL's message.
bool WriteMosaicVrt(const std::string& path, const std::vector<std::string>& frames,
                    std::string* error);
bool WriteTrackGeoJson(const std::string& path, const GpsTrack& track,
                       const std::vector<SweepCentre>& sweeps, std::string* error);

}  // namespace tarvisk
