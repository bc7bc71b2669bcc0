#include "export/gis_layers.h"

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cstdio>

namespace tarvisk {

namespace {

std::string LastGdalError(const char* fallback) {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? m : fallback;
}

std::string IsoText(const RecordTime& t) {
    char text[32];
    return std::string(text, FormatIsoTime(t, text));
}

}  // namespace

bool WriteMosaicVrt(const std::string& path, const std::vector<std::string>& frames,
                    std::string* error) {
    GDALAllRegister();
    std::vector<const char*> names;
    for (const std::string& f : frames)
        names.push_back(f.c_str());
    char** argv = nullptr;
    argv = CSLAddString(argv, "-resolution");
    argv = CSLAddString(argv, "highest");
    GDALBuildVRTOptions* options = GDALBuildVRTOptionsNew(argv, nullptr);
    CSLDestroy(argv);
    int usageError = 0;
    CPLErrorReset();
    GDALDatasetH vrt = GDALBuildVRT(path.c_str(), static_cast<int>(names.size()), nullptr,
                                    names.data(), options, &usageError);
    GDALBuildVRTOptionsFree(options);
    if (!vrt) {
        *error = LastGdalError("cannot build the mosaic");
        return false;
    }
    GDALClose(vrt);
    return true;
}

bool WriteTrackGeoJson(const std::string& path, const GpsTrack& track,
                       const std::vector<SweepCentre>& sweeps, std::string* error) {
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("GeoJSON");
    if (!driver) {
        *error = "GDAL has no GeoJSON driver";
        return false;
    }
    std::remove(path.c_str());
    CPLErrorReset();
    GDALDatasetH ds = GDALCreate(driver, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!ds) {
        *error = LastGdalError("cannot create the file");
        return false;
    }
    OGRSpatialReferenceH wgs84 = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(wgs84, 4326);
    OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
    char** layerOptions = CSLSetNameValue(nullptr, "RFC7946", "YES");
    OGRLayerH layer = GDALDatasetCreateLayer(ds, "track", wgs84, wkbUnknown, layerOptions);
    CSLDestroy(layerOptions);
    bool ok = layer != nullptr;
    if (ok) {
        const char* names[] = {"kind", "frame", "time"};
        for (const char* name : names) {
            OGRFieldDefnH field = OGR_Fld_Create(name, OFTString);
            ok = OGR_L_CreateField(layer, field, TRUE) == OGRERR_NONE && ok;
            OGR_Fld_Destroy(field);
        }
        OGRFieldDefnH times = OGR_Fld_Create("times", OFTStringList);
        ok = OGR_L_CreateField(layer, times, TRUE) == OGRERR_NONE && ok;
        OGR_Fld_Destroy(times);
        OGRFieldDefnH utc = OGR_Fld_Create("gps_utc", OFTStringList);
        ok = OGR_L_CreateField(layer, utc, TRUE) == OGRERR_NONE && ok;
        OGR_Fld_Destroy(utc);
    }
    if (ok) {
        OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
        OGRFeatureH line = OGR_F_Create(defn);
        OGRGeometryH geometry = OGR_G_CreateGeometry(wkbLineString);
        char** times = nullptr;
        char** utc = nullptr;
        for (const TrackFix& f : track.Fixes()) {
            OGR_G_AddPoint_2D(geometry, f.stored.longitude, f.stored.latitude);
            times = CSLAddString(times, IsoText(f.time).c_str());
            utc = CSLAddString(utc, f.utc.c_str());
        }
        OGR_F_SetFieldString(line, OGR_F_GetFieldIndex(line, "kind"), "track");
        OGR_F_SetFieldStringList(line, OGR_F_GetFieldIndex(line, "times"), times);
        OGR_F_SetFieldStringList(line, OGR_F_GetFieldIndex(line, "gps_utc"), utc);
        CSLDestroy(times);
        CSLDestroy(utc);
        OGR_F_SetGeometryDirectly(line, geometry);
        ok = OGR_L_CreateFeature(layer, line) == OGRERR_NONE;
        OGR_F_Destroy(line);
        for (const SweepCentre& s : sweeps) {
            OGRFeatureH point = OGR_F_Create(defn);
            OGRGeometryH p = OGR_G_CreateGeometry(wkbPoint);
            OGR_G_SetPoint_2D(p, 0, s.position.longitude, s.position.latitude);
            OGR_F_SetFieldString(point, OGR_F_GetFieldIndex(point, "kind"), "sweep");
            OGR_F_SetFieldString(point, OGR_F_GetFieldIndex(point, "frame"), s.frame.c_str());
            OGR_F_SetFieldString(point, OGR_F_GetFieldIndex(point, "time"), s.time.c_str());
            OGR_F_SetGeometryDirectly(point, p);
            ok = OGR_L_CreateFeature(layer, point) == OGRERR_NONE && ok;
            OGR_F_Destroy(point);
        }
    }
    OSRDestroySpatialReference(wgs84);
    GDALClose(ds);
    if (!ok || CPLGetLastErrorType() >= CE_Failure) {
        *error = LastGdalError("cannot write the file");
        return false;
    }
    return true;
}

}  // namespace tarvisk
