#pragma once
// A recording's sweeps as georeferenced GeoTIFF frames: the file plays through the program's
// own pipeline without a window, and at each moment auto frame capture would save the window
// (each sector reversal, each wrap of a full circle) the plan view is placed on the UTM grid
// from the GPS track and the orientation module's heading. Beside the frames: mosaic.vrt and
// track.geojson.

#include <cstdint>
#include <functional>
#include <string>

namespace tarvisk {

struct SweepExportRequest {
    std::string ksdPath;
    std::string outDir;
};

struct SweepExportResult {
    bool ok = false;
    std::string error;
    int64_t records = 0;
    int64_t frames = 0;
    int epsg = 0;
    bool headingFromTrack = false;  // no orientation module: the course over ground was used
};

SweepExportResult ExportSweeps(const SweepExportRequest& request,
                               const std::function<void(int64_t, int64_t)>& progress = {});

}  // namespace tarvisk
