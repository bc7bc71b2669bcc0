#pragma once
// The profile points of a recording (the same points ksd xyz writes) as a 3-D point layer in
// a GeoPackage: on the UTM grid, placed from the GPS track and the heading, when the records
// carry fixes; else in the scan's own chainage and offset axes.

#include <cstdint>
#include <functional>
#include <string>

#include "files/xyz_reprocess.h"

namespace tarvisk {

struct PointsExportRequest {
    std::string ksdPath;
    XyzForm form = XyzForm::Vertical;
    std::string outPath;  // FILE.gpkg, replaced
};

struct PointsExportResult {
    bool ok = false;
    std::string error;
    int64_t records = 0;
    int64_t points = 0;
    int epsg = 0;  // 0: local coordinates
};

PointsExportResult ExportPoints(const PointsExportRequest& request,
                                const std::function<void(int64_t, int64_t)>& progress = {});

}  // namespace tarvisk
