#include "export/points_export.h"

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

#include "export/gps_track.h"
#include "export/ksd_shot_walk.h"

namespace tarvisk {

namespace {

// One point of the XYZ text, with the columns asked for below.
struct XyzPoint {
    RecordTime time;
    double seconds = 0.0;
    bool hasRange = false;
    double range = 0.0, bearing = 0.0, heading = 0.0;
    bool hasHeading = false;
    double x = 0.0, y = 0.0, z = 0.0;
    int scan = 1;
};

// The columns the parser expects: time first, range and angles, attitude, no position.
const std::vector<std::pair<std::string, std::string>> PointColumns = {
    {"Units", "0"},          {"XYZTimestamp", "1"},        {"XYZLatLongElevation", "0"},
    {"XYZRangeHorVer", "1"}, {"XYZPitchRollHeading", "1"},
};

bool Number(std::string_view text, double& value) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool TimeOf(std::string_view date, std::string_view time, RecordTime& t) {
    RecordHeader h;
    if (date.size() != 11 || time.size() != 11)
        return false;
    std::memcpy(h.DateText.data(), date.data(), 11);
    std::memcpy(h.TimeText.data(), time.data(), 8);
    double hundredths = 0;
    if (!Number(time.substr(9), hundredths))
        return false;
    h.Hundredths = static_cast<int32_t>(hundredths);
    return RecordTimeFrom(h, t);
}

void ParseBlock(std::string_view text, XyzForm form, int scan, std::vector<XyzPoint>& out) {
    while (!text.empty()) {
        size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
        std::vector<std::string_view> f;
        for (size_t at = 0; at <= line.size();) {
            const size_t tab = line.find('\t', at);
            f.push_back(line.substr(at, tab == std::string_view::npos ? line.npos : tab - at));
            if (tab == std::string_view::npos)
                break;
            at = tab + 1;
        }
        if (f.size() < 5)
            continue;  // the vertical form's header, an empty line
        XyzPoint p;
        p.scan = scan;
        if (!TimeOf(f[0], f[1], p.time))
            continue;
        p.seconds = RecordSeconds(p.time);
        const size_t n = f.size();
        bool ok = Number(f[n - 3], p.x) && Number(f[n - 2], p.y) && Number(f[n - 1], p.z);
        if (form != XyzForm::Horizontal && n >= 8) {
            p.hasRange = Number(f[2], p.range) && Number(f[4], p.bearing);
            if (n >= 11)
                p.hasHeading = Number(f[7], p.heading);
        }
        if (ok)
            out.push_back(p);
    }
}

std::string IsoText(const RecordTime& t) {
    char text[32];
    return std::string(text, FormatIsoTime(t, text));
}

std::string LastGdalError(const char* fallback) {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? m : fallback;
}

// The scan's own axes, for recordings without fixes.
constexpr const char* LocalAxesWkt =
    "LOCAL_CS[\"Tarvisk scan\",LOCAL_DATUM[\"Scan reference\",0],UNIT[\"metre\",1],"
    "AXIS[\"Offset\",EAST],AXIS[\"Chainage\",NORTH]]";

}  // namespace

PointsExportResult ExportPoints(const PointsExportRequest& request,
                                const std::function<void(int64_t, int64_t)>& progress) {
    PointsExportResult result;
    XyzReprocessRequest xyz;
    xyz.ksdPath = request.ksdPath;
    xyz.form = request.form;
    xyz.overrides = PointColumns;
    std::vector<XyzPoint> points;
    int scan = 0;
    const XyzReprocessResult r = ReprocessToXyz(
        xyz,
        [&](std::string_view text) {
            ParseBlock(text, request.form, ++scan, points);
            return true;
        },
        progress);
    if (!r.ok) {
        result.error = r.error;
        return result;
    }
    result.records = r.records;

    // The operator's offset and chainage as the XYZ writer last took them.
    double xOffset = 0.0, chainage = 0.0;
    {
        auto walk = std::make_unique<KsdShotWalk>();
        if (walk->Open(request.ksdPath, nullptr)) {
            while (walk->Next()) {
            }
            xOffset = walk->settings.ProfileXOffset;
            chainage = walk->settings.ProfileChainage;
        }
    }
    GpsTrack track;
    if (!track.Read(request.ksdPath, &result.error))
        return result;
    const bool onMap = !track.Fixes().empty() && track.Project(&result.error);
    if (!track.Fixes().empty() && !onMap)
        return result;

    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("GPKG");
    if (!driver) {
        result.error = "GDAL has no GeoPackage driver";
        return result;
    }
    std::remove(request.outPath.c_str());
    CPLErrorReset();
    GDALDatasetH ds = GDALCreate(driver, request.outPath.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!ds) {
        result.error = "cannot create " + request.outPath + ": " + LastGdalError("");
        return result;
    }
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    if (onMap) {
        result.epsg = track.Projection().Epsg();
        OSRImportFromEPSG(srs, result.epsg);
    } else {
        OSRSetFromUserInput(srs, LocalAxesWkt);
    }
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayerH layer = GDALDatasetCreateLayer(ds, "points", srs, wkbPoint25D, nullptr);
    OSRDestroySpatialReference(srs);
    bool ok = layer != nullptr;
    auto field = [&](const char* name, OGRFieldType type) {
        OGRFieldDefnH f = OGR_Fld_Create(name, type);
        ok = ok && OGR_L_CreateField(layer, f, TRUE) == OGRERR_NONE;
        OGR_Fld_Destroy(f);
    };
    field("time", OFTString);
    field("range_m", OFTReal);
    field("bearing_deg", OFTReal);
    field("scan", OFTInteger);
    field("offset_m", OFTReal);
    field("chainage_m", OFTReal);
    if (ok) {
        OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
        const int iTime = OGR_FD_GetFieldIndex(defn, "time");
        const int iRange = OGR_FD_GetFieldIndex(defn, "range_m");
        const int iBearing = OGR_FD_GetFieldIndex(defn, "bearing_deg");
        const int iScan = OGR_FD_GetFieldIndex(defn, "scan");
        const int iOffset = OGR_FD_GetFieldIndex(defn, "offset_m");
        const int iChainage = OGR_FD_GetFieldIndex(defn, "chainage_m");
        ok = OGR_L_StartTransaction(layer) == OGRERR_NONE;
        for (const XyzPoint& p : points) {
            double east = p.x, north = p.y;
            if (onMap) {
                const TrackState at = track.At(p.seconds);
                const double convergence = track.Projection().TrueNorthOnGridDegrees(
                    track.Projection().Inverse(at.position));
                if (request.form == XyzForm::Vertical) {
                    // Offsets are across the boat, to starboard of its heading.
                    double heading = p.heading;
                    if (!p.hasHeading)
                        heading = std::atan2(at.east_mps, at.north_mps) * 180.0 / std::numbers::pi -
                                  convergence;
                    const double h = (heading + convergence) * std::numbers::pi / 180.0;
                    const double across = p.x - xOffset;
                    east = at.position.east + across * std::cos(h);
                    north = at.position.north - across * std::sin(h);
                } else {
                    // The writer has already turned these by the heading: east and north.
                    east = at.position.east + (p.x - xOffset);
                    north = at.position.north + (p.y - chainage);
                }
            }
            OGRFeatureH feature = OGR_F_Create(defn);
            OGR_F_SetFieldString(feature, iTime, IsoText(p.time).c_str());
            if (p.hasRange) {
                OGR_F_SetFieldDouble(feature, iRange, p.range);
                OGR_F_SetFieldDouble(feature, iBearing, p.bearing);
            }
            OGR_F_SetFieldInteger(feature, iScan, p.scan);
            OGR_F_SetFieldDouble(feature, iOffset, p.x);
            OGR_F_SetFieldDouble(feature, iChainage, p.y);
            OGRGeometryH g = OGR_G_CreateGeometry(wkbPoint25D);
            OGR_G_SetPoint(g, 0, east, north, p.z);
            OGR_F_SetGeometryDirectly(feature, g);
            ok = OGR_L_CreateFeature(layer, feature) == OGRERR_NONE && ok;
            OGR_F_Destroy(feature);
        }
        ok = OGR_L_CommitTransaction(layer) == OGRERR_NONE && ok;
    }
    GDALClose(ds);
    if (!ok || CPLGetLastErrorType() >= CE_Failure) {
        result.error = "cannot write " + request.outPath + ": " + LastGdalError("");
        return result;
    }
    result.points = static_cast<int64_t>(points.size());
    result.ok = true;
    return result;
}

}  // namespace tarvisk
