#include "export/utm_projection.h"

#include <proj.h>

#include <cmath>

namespace tarvisk {

int UtmEpsgFor(const GeoPosition& p) {
    int zone = static_cast<int>(std::floor((p.longitude + 180.0) / 6.0)) + 1;
    if (zone < 1)
        zone = 1;
    if (zone > 60)
        zone = 60;
    return (p.latitude < 0.0 ? 32700 : 32600) + zone;
}

UtmProjection::~UtmProjection() {
    if (transform_)
        proj_destroy(transform_);
    if (context_)
        proj_context_destroy(context_);
}

bool UtmProjection::Open(int epsg, std::string* error) {
    context_ = proj_context_create();
    const std::string target = "EPSG:" + std::to_string(epsg);
    PJ* raw = proj_create_crs_to_crs(context_, "EPSG:4326", target.c_str(), nullptr);
    if (raw) {
        // Longitude, latitude order whatever the CRS says.
        transform_ = proj_normalize_for_visualization(context_, raw);
        proj_destroy(raw);
    }
    if (!transform_) {
        if (error)
            *error = std::string("PROJ cannot set up ") + target + ": " +
                     proj_context_errno_string(context_, proj_context_errno(context_));
        return false;
    }
    epsg_ = epsg;
    return true;
}

MapPoint UtmProjection::Forward(const GeoPosition& p) const {
    PJ_COORD c = proj_coord(p.longitude, p.latitude, 0, 0);
    c = proj_trans(transform_, PJ_FWD, c);
    return {c.xy.x, c.xy.y};
}

GeoPosition UtmProjection::Inverse(const MapPoint& m) const {
    PJ_COORD c = proj_coord(m.east, m.north, 0, 0);
    c = proj_trans(transform_, PJ_INV, c);
    return {c.lp.phi, c.lp.lam};
}

double UtmProjection::TrueNorthOnGridDegrees(const GeoPosition& p) const {
    const MapPoint a = Forward(p);
    const MapPoint b = Forward({p.latitude + 1e-4, p.longitude});
    return std::atan2(b.east - a.east, b.north - a.north) * 180.0 / 3.14159265358979323846;
}

}  // namespace tarvisk
