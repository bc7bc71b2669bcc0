#pragma once
// WGS 84 degrees to the UTM zone chosen by the first fix, through PROJ, and back.

#include <string>

#include "export/record_values.h"

struct pj_ctx;
struct PJconsts;

namespace tarvisk {

struct MapPoint {
    double east = 0.0;
    double north = 0.0;
};

// The zone's EPSG code: 326zz north of the equator, 327zz south (WGS 84 / UTM).
int UtmEpsgFor(const GeoPosition& position);

class UtmProjection {
  public:
    UtmProjection() = default;
    ~UtmProjection();
    UtmProjection(const UtmProjection&) = delete;
    UtmProjection& operator=(const UtmProjection&) = delete;

    // False with PROJ's message when the zone cannot be set up.
    bool Open(int epsg, std::string* error);
    int Epsg() const { return epsg_; }
    MapPoint Forward(const GeoPosition& p) const;
    GeoPosition Inverse(const MapPoint& m) const;
    // Where true north points on the grid here, clockwise from grid north (the meridian
    // convergence): a true bearing B is the grid bearing B + this.
    double TrueNorthOnGridDegrees(const GeoPosition& p) const;

  private:
    pj_ctx* context_ = nullptr;
    PJconsts* transform_ = nullptr;
    int epsg_ = 0;
};

}  // namespace tarvisk
