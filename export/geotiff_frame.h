#pragma once
// One sweep of the plan view as a north-up GeoTIFF: the 8-bit picture in the palette's
// colours, turned by the heading onto the UTM grid around the transducer's position, with an
// alpha band that hides everything outside the fans. Written with GDAL.

#include <string>
#include <vector>

#include "export/fan_coverage.h"
#include "export/utm_projection.h"
#include "imaging/colour_tables.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

struct FramePlacement {
    MapPoint transducer;          // the fan's apex on the map
    double upAzimuthDegrees = 0;  // the picture's up direction, clockwise from grid north
    double metresPerPixel = 0.1;
    int epsg = 0;
};

// Metadata items written into the file (TIFF tags and GDAL metadata).
struct FrameNotes {
    std::string startTime, centreTime, endTime;  // ISO 8601 record times of the sweep
    int shots = 0;
};

// The raster a frame becomes: north-up, pixel-interleaved RGBA, and its geotransform.
struct FrameRaster {
    int width = 0, height = 0;
    std::array<double, 6> geoTransform{};
    std::vector<uint8_t> rgba;
};

// Resamples the picture onto the map grid (nearest pixel). raster keeps its storage between
// frames.
void RenderFrame(const SonarImage& image, const ColourTable& colours, const PlanViewGeometry& view,
                 const FanCoverage& coverage, const FramePlacement& placement, FrameRaster& raster);

// Writes the raster as a GeoTIFF; false with GDAL's message.
bool WriteGeoTiff(const std::string& path, const FrameRaster& raster,
                  const FramePlacement& placement, const FrameNotes& notes, std::string* error);

}  // namespace tarvisk
