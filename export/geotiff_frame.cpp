#include "export/geotiff_frame.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarvisk {

void RenderFrame(const SonarImage& image, const ColourTable& colours, const PlanViewGeometry& view,
                 const FanCoverage& coverage, const FramePlacement& placement,
                 FrameRaster& raster) {
    const double s = placement.metresPerPixel;
    const double theta = placement.upAzimuthDegrees * std::numbers::pi / 180.0;
    const double c = std::cos(theta), sn = std::sin(theta);
    const double vs = view.hanging ? -1.0 : 1.0;
    const double ox = view.originX, oy = view.originY;

    // Map offsets (in pixels) of an image point from the transducer.
    auto toMap = [&](double x, double y, double& e, double& n) {
        const double dx = x - ox, dy = (y - oy) * vs;
        e = -dy * sn + dx * c;
        n = -dy * c - dx * sn;
    };
    double minE = 1e300, maxE = -1e300, minN = 1e300, maxN = -1e300;
    const double corners[4][2] = {
        {0, 0}, {ImageWidth, 0}, {0, ImageHeight}, {ImageWidth, ImageHeight}};
    for (const auto& corner : corners) {
        double e, n;
        toMap(corner[0], corner[1], e, n);
        minE = std::min(minE, e);
        maxE = std::max(maxE, e);
        minN = std::min(minN, n);
        maxN = std::max(maxN, n);
    }
    // Whole pixels from the transducer, so that it sits on a pixel corner.
    minE = std::floor(minE);
    minN = std::floor(minN);
    maxE = std::ceil(maxE);
    maxN = std::ceil(maxN);
    raster.width = static_cast<int>(maxE - minE);
    raster.height = static_cast<int>(maxN - minN);
    raster.geoTransform = {placement.transducer.east + minE * s,  s,   0.0,
                           placement.transducer.north + maxN * s, 0.0, -s};
    raster.rgba.assign(static_cast<size_t>(raster.width) * raster.height * 4, 0);

    const double radius2 = double(view.radius + 1) * (view.radius + 1);
    for (int j = 0; j < raster.height; ++j) {
        const double n = maxN - (j + 0.5);
        uint8_t* out = raster.rgba.data() + static_cast<size_t>(j) * raster.width * 4;
        for (int i = 0; i < raster.width; ++i, out += 4) {
            const double e = minE + (i + 0.5);
            const double dx = e * c - n * sn;
            const double dy = -(e * sn + n * c);  // screen down from the transducer, normal view
            const double x = ox + dx, y = oy + dy * vs;
            if (x < 0 || y < 0 || x >= ImageWidth || y >= ImageHeight)
                continue;
            if (dx * dx + dy * dy > radius2)
                continue;
            if (!coverage.Covers(std::atan2(dx, -dy)))
                continue;
            const uint8_t v = image.At(static_cast<int32_t>(x), static_cast<int32_t>(y));
            const Rgb& rgb = colours[v];
            out[0] = rgb.r;
            out[1] = rgb.g;
            out[2] = rgb.b;
            out[3] = 255;
        }
    }
}

namespace {

std::string LastGdalError(const char* fallback) {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? m : fallback;
}

}  // namespace

bool WriteGeoTiff(const std::string& path, const FrameRaster& raster,
                  const FramePlacement& placement, const FrameNotes& notes, std::string* error) {
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (!driver) {
        *error = "GDAL has no GTiff driver";
        return false;
    }
    char** options = nullptr;
    options = CSLSetNameValue(options, "COMPRESS", "DEFLATE");
    options = CSLSetNameValue(options, "ZLEVEL", "1");
    options = CSLSetNameValue(options, "PREDICTOR", "2");
    options = CSLSetNameValue(options, "ALPHA", "YES");
    options = CSLSetNameValue(options, "PHOTOMETRIC", "RGB");
    options = CSLSetNameValue(options, "TILED", "YES");
    CPLErrorReset();
    GDALDatasetH ds =
        GDALCreate(driver, path.c_str(), raster.width, raster.height, 4, GDT_Byte, options);
    CSLDestroy(options);
    if (!ds) {
        *error = LastGdalError("cannot create the file");
        return false;
    }
    bool ok = GDALSetGeoTransform(ds, const_cast<double*>(raster.geoTransform.data())) == CE_None;
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    char* wkt = nullptr;
    if (OSRImportFromEPSG(srs, placement.epsg) == OGRERR_NONE &&
        OSRExportToWkt(srs, &wkt) == OGRERR_NONE)
        ok = GDALSetProjection(ds, wkt) == CE_None && ok;
    else
        ok = false;
    CPLFree(wkt);
    OSRDestroySpatialReference(srs);

    GDALSetMetadataItem(ds, "TIFFTAG_SOFTWARE", "Tarvisk", nullptr);
    GDALSetMetadataItem(ds, "TIFFTAG_DATETIME", notes.centreTime.c_str(), nullptr);
    GDALSetMetadataItem(ds, "SWEEP_START", notes.startTime.c_str(), nullptr);
    GDALSetMetadataItem(ds, "SWEEP_CENTRE", notes.centreTime.c_str(), nullptr);
    GDALSetMetadataItem(ds, "SWEEP_END", notes.endTime.c_str(), nullptr);
    GDALSetMetadataItem(ds, "SWEEP_SHOTS", std::to_string(notes.shots).c_str(), nullptr);
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %.3f", placement.transducer.east,
                  placement.transducer.north);
    GDALSetMetadataItem(ds, "TRANSDUCER_EN", text, nullptr);
    std::snprintf(text, sizeof text, "%.2f", placement.upAzimuthDegrees);
    GDALSetMetadataItem(ds, "IMAGE_UP_AZIMUTH", text, nullptr);

    int bands[4] = {1, 2, 3, 4};
    if (raster.width > 0 && raster.height > 0)
        ok = GDALDatasetRasterIO(ds, GF_Write, 0, 0, raster.width, raster.height,
                                 const_cast<uint8_t*>(raster.rgba.data()), raster.width,
                                 raster.height, GDT_Byte, 4, bands, 4, raster.width * 4,
                                 1) == CE_None &&
             ok;
    GDALSetRasterColorInterpretation(GDALGetRasterBand(ds, 4), GCI_AlphaBand);
    GDALClose(ds);
    if (CPLGetLastErrorType() >= CE_Failure)
        ok = false;
    if (!ok)
        *error = LastGdalError("cannot write the file");
    return ok;
}

}  // namespace tarvisk
