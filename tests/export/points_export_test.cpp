// ksd points: the profile points of ksd xyz in a GeoPackage, read back with OGR.

#include <gtest/gtest.h>

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <string>

#include "export/points_export.h"
#include "files/xyz_reprocess.h"
#include "tests/export/export_fixture.h"

namespace tarvisk::test {
namespace {

const std::string Golden = std::string(TARVISK_SOURCE_DIR) + "/tests/golden/harbour.ksd";

// Point lines of the XYZ text ksd xyz writes for the same file and form.
int64_t XyzPointLines(const std::string& ksd, XyzForm form) {
    XyzReprocessRequest request{ksd, form, "", {{"XYZLatLongElevation", "0"}}};
    int64_t lines = 0;
    ReprocessToXyz(request, [&](std::string_view text) {
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            const std::string_view line = text.substr(at, end - at);
            if (std::count(line.begin(), line.end(), '\t') >= 4)
                ++lines;
            at = end == std::string_view::npos ? text.size() : end + 2;
        }
        return true;
    });
    return lines;
}

class PointsExportTest : public ::testing::Test {
  protected:
    void SetUp() override { GDALAllRegister(); }
    ExportDir dir_;
};

TEST_F(PointsExportTest, EveryPointOfKsdXyzIsAFeatureOfThePointLayer) {
    for (XyzForm form : {XyzForm::Vertical, XyzForm::Horizontal}) {
        const std::string gpkg = dir_.File("golden.gpkg");
        const PointsExportResult r = ExportPoints({Golden, form, gpkg});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.epsg, 32610);  // the golden run's fixes lie at 123 W
        const int64_t expected = XyzPointLines(Golden, form);
        EXPECT_GT(expected, 100);
        EXPECT_EQ(r.points, expected);

        GDALDatasetH ds = GDALOpenEx(gpkg.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
        ASSERT_NE(ds, nullptr);
        OGRLayerH layer = GDALDatasetGetLayerByName(ds, "points");
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(OGR_L_GetFeatureCount(layer, TRUE), expected);
        EXPECT_EQ(OGR_L_GetGeomType(layer), wkbPoint25D);
        OGRFeatureH f = OGR_L_GetNextFeature(layer);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(std::string(OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "time"))).size(),
                  22u);
        EXPECT_EQ(OGR_F_GetFieldAsInteger(f, OGR_F_GetFieldIndex(f, "scan")), 1);
        EXPECT_EQ(OGR_F_IsFieldSetAndNotNull(f, OGR_F_GetFieldIndex(f, "range_m")),
                  form == XyzForm::Vertical);
        OGR_F_Destroy(f);
        GDALClose(ds);
    }
    if (HaveProgram("ogrinfo")) {
        const std::string info = RunCommand("ogrinfo -ro -so -al " + dir_.File("golden.gpkg"));
        EXPECT_NE(info.find("Geometry: 3D Point"), std::string::npos) << info;
        EXPECT_NE(info.find("UTM zone 10N"), std::string::npos);
    }
}

TEST_F(PointsExportTest, VerticalPointsLieTheirOffsetAcrossFromTheBoat) {
    SurveyPlan plan;
    plan.gridMode = 0;
    plan.seconds = 12.0;
    WriteSimulatedSurvey(dir_.File("line.ksd"), plan);
    const PointsExportResult r =
        ExportPoints({dir_.File("line.ksd"), XyzForm::Vertical, dir_.File("line.gpkg")});
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_GT(r.points, 50);

    OGRSpatialReferenceH wgs84 = OSRNewSpatialReference(nullptr);
    OGRSpatialReferenceH zone = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(wgs84, 4326);
    OSRImportFromEPSG(zone, r.epsg);
    OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH toZone = OCTNewCoordinateTransformation(wgs84, zone);

    GDALDatasetH ds =
        GDALOpenEx(dir_.File("line.gpkg").c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
    int checked = 0;
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
        int y, mo, d, h, mi, s, c;
        std::sscanf(OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "time")),
                    "%d-%d-%dT%d:%d:%d.%d", &y, &mo, &d, &h, &mi, &s, &c);
        const double t = (h - 6) * 3600.0 + mi * 60.0 + s + c / 100.0;
        const sim::TrackPoint boat = sim::PositionOnTrack(plan.track, t);
        double east = boat.longitude, north = boat.latitude;
        OCTTransform(toZone, 1, &east, &north, nullptr);
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        const double across = OGR_F_GetFieldAsDouble(f, OGR_F_GetFieldIndex(f, "offset_m"));
        const double distance = std::hypot(OGR_G_GetX(g, 0) - east, OGR_G_GetY(g, 0) - north);
        EXPECT_NEAR(distance, std::fabs(across), 0.6) << "point at " << t << " s";
        ++checked;
        OGR_F_Destroy(f);
    }
    EXPECT_EQ(checked, r.points);
    GDALClose(ds);
    OCTDestroyCoordinateTransformation(toZone);
    OSRDestroySpatialReference(wgs84);
    OSRDestroySpatialReference(zone);
}

TEST_F(PointsExportTest, WithoutFixesThePointsKeepTheScansOwnAxes) {
    SurveyPlan plan;
    plan.gridMode = 0;
    plan.seconds = 6.0;
    plan.gps = false;
    WriteSimulatedSurvey(dir_.File("local.ksd"), plan);
    const PointsExportResult r =
        ExportPoints({dir_.File("local.ksd"), XyzForm::Vertical, dir_.File("local.gpkg")});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.epsg, 0);
    GDALDatasetH ds =
        GDALOpenEx(dir_.File("local.gpkg").c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
    char* wkt = nullptr;
    OSRExportToWkt(OGR_L_GetSpatialRef(layer), &wkt);
    const std::string text = wkt ? wkt : "";
    CPLFree(wkt);
    EXPECT_NE(text.find("Chainage"), std::string::npos) << text;
    EXPECT_NE(text.find("Offset"), std::string::npos) << text;
    // The geometry is the XYZ's X, Y and Z.
    OGRFeatureH f = OGR_L_GetNextFeature(layer);
    ASSERT_NE(f, nullptr);
    EXPECT_DOUBLE_EQ(OGR_G_GetX(OGR_F_GetGeometryRef(f), 0),
                     OGR_F_GetFieldAsDouble(f, OGR_F_GetFieldIndex(f, "offset_m")));
    OGR_F_Destroy(f);
    GDALClose(ds);
}

}  // namespace
}  // namespace tarvisk::test
