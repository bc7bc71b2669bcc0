// ksd geotiff: each sweep's frame read back with GDAL, placed where the simulated boat was,
// and the harbour's quay wall found where the map says it stands.

#include <gtest/gtest.h>

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <numbers>
#include <string>
#include <vector>

#include "export/sweep_export.h"
#include "tests/export/export_fixture.h"

namespace tarvisk::test {
namespace {

struct Frame {
    GDALDatasetH ds = nullptr;
    std::array<double, 6> gt{};
    double centreSeconds = 0.0;
    double transducerEast = 0.0, transducerNorth = 0.0;
};

double SecondsOf(const char* iso) {
    std::tm tm{};
    int hundredths = 0;
    std::sscanf(iso, "%d-%d-%dT%d:%d:%d.%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                &tm.tm_min, &tm.tm_sec, &hundredths);
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    return static_cast<double>(timegm(&tm)) + hundredths / 100.0;
}

// WGS 84 degrees to the zone's metres, with GDAL's own transformation.
class ZoneTransform {
  public:
    explicit ZoneTransform(int epsg) {
        wgs84_ = OSRNewSpatialReference(nullptr);
        zone_ = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(wgs84_, 4326);
        OSRImportFromEPSG(zone_, epsg);
        OSRSetAxisMappingStrategy(wgs84_, OAMS_TRADITIONAL_GIS_ORDER);
        OSRSetAxisMappingStrategy(zone_, OAMS_TRADITIONAL_GIS_ORDER);
        transform_ = OCTNewCoordinateTransformation(wgs84_, zone_);
    }
    ~ZoneTransform() {
        OCTDestroyCoordinateTransformation(transform_);
        OSRDestroySpatialReference(wgs84_);
        OSRDestroySpatialReference(zone_);
    }
    void Forward(const sim::TrackPoint& p, double& east, double& north) const {
        double x = p.longitude, y = p.latitude;
        OCTTransform(transform_, 1, &x, &y, nullptr);
        east = x;
        north = y;
    }

  private:
    OGRSpatialReferenceH wgs84_, zone_;
    OGRCoordinateTransformationH transform_;
};

class GeotiffExportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        GDALAllRegister();
        dir_ = new ExportDir;
    }
    static void TearDownTestSuite() { delete dir_; }

    // Exports a survey and opens every frame it wrote.
    std::vector<Frame> Export(const SurveyPlan& plan, const std::string& name) {
        WriteSimulatedSurvey(dir_->File(name + ".ksd"), plan);
        result_ = ExportSweeps({dir_->File(name + ".ksd"), dir_->File(name)});
        EXPECT_TRUE(result_.ok) << result_.error;
        std::vector<Frame> frames;
        for (int64_t i = 1; i <= result_.frames; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "/sweep-%04d.tif", static_cast<int>(i));
            Frame f;
            f.ds = GDALOpen((dir_->File(name) + file).c_str(), GA_ReadOnly);
            EXPECT_NE(f.ds, nullptr) << file;
            if (!f.ds)
                continue;
            GDALGetGeoTransform(f.ds, f.gt.data());
            f.centreSeconds = SecondsOf(GDALGetMetadataItem(f.ds, "SWEEP_CENTRE", nullptr));
            std::sscanf(GDALGetMetadataItem(f.ds, "TRANSDUCER_EN", nullptr), "%lf %lf",
                        &f.transducerEast, &f.transducerNorth);
            frames.push_back(f);
        }
        opened_ = frames;
        return frames;
    }
    void TearDown() override {
        for (Frame& f : opened_)
            GDALClose(f.ds);
    }

    static ExportDir* dir_;
    SweepExportResult result_;
    std::vector<Frame> opened_;
};
ExportDir* GeotiffExportTest::dir_ = nullptr;

TEST_F(GeotiffExportTest, EachFrameIsANorthUpUtmRasterWithAnAlphaBand) {
    SurveyPlan plan;
    plan.seconds = 24.0;
    const std::vector<Frame> frames = Export(plan, "polar");
    EXPECT_EQ(result_.epsg, 32630);  // 3.65 W lies in zone 30
    ASSERT_GE(frames.size(), 2u);
    bool first = true;
    for (const Frame& f : frames) {
        ASSERT_EQ(GDALGetRasterCount(f.ds), 4);
        EXPECT_EQ(GDALGetRasterColorInterpretation(GDALGetRasterBand(f.ds, 4)), GCI_AlphaBand);
        const OGRSpatialReferenceH srs = GDALGetSpatialRef(f.ds);
        ASSERT_NE(srs, nullptr);
        EXPECT_STREQ(OSRGetAuthorityCode(srs, nullptr), "32630");
        // Polar at 50 m: 250 pixels of radius, 0.2 m each; north up, no rotation terms.
        EXPECT_DOUBLE_EQ(f.gt[1], 0.2);
        EXPECT_DOUBLE_EQ(f.gt[5], -0.2);
        EXPECT_EQ(f.gt[2], 0.0);
        EXPECT_EQ(f.gt[4], 0.0);
        // Transparent outside the disc, opaque inside it.
        const int w = GDALGetRasterXSize(f.ds), h = GDALGetRasterYSize(f.ds);
        std::vector<uint8_t> alpha(static_cast<size_t>(w) * h);
        ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(f.ds, 4), GF_Read, 0, 0, w, h, alpha.data(), w, h,
                               GDT_Byte, 0, 0),
                  CE_None);
        const int64_t opaque = std::count(alpha.begin(), alpha.end(), uint8_t{255});
        const int64_t clear = std::count(alpha.begin(), alpha.end(), uint8_t{0});
        EXPECT_EQ(opaque + clear, int64_t(alpha.size()));
        // A full circle of 250 pixels' radius; the first sweep ends where the head's
        // position wraps, half a turn after it started ahead.
        const double disc = std::numbers::pi * 250 * 250;
        EXPECT_NEAR(double(opaque), first ? disc / 2 : disc, 0.03 * disc);
        first = false;
    }
}

TEST_F(GeotiffExportTest, EachFramesTransducerIsWhereTheBoatWasMidSweep) {
    SurveyPlan plan;
    plan.seconds = 40.0;
    plan.track = {40.3977, -3.6527, 30.0, 1.5};
    const std::vector<Frame> frames = Export(plan, "track");
    ASSERT_GE(frames.size(), 4u);
    ZoneTransform zone(result_.epsg);
    for (const Frame& f : frames) {
        double east, north;
        zone.Forward(sim::PositionOnTrack(plan.track, f.centreSeconds - plan.startUnix), east,
                     north);
        EXPECT_LT(std::hypot(f.transducerEast - east, f.transducerNorth - north), 0.5)
            << "frame at " << f.centreSeconds - plan.startUnix << " s";
        // The transducer sits on a pixel corner of the frame's own grid.
        const double column = (f.transducerEast - f.gt[0]) / f.gt[1];
        const double row = (f.transducerNorth - f.gt[3]) / f.gt[5];
        // (the metadata keeps millimetres)
        EXPECT_NEAR(column, std::round(column), 0.01);
        EXPECT_NEAR(row, std::round(row), 0.01);
    }
}

// Brightness of the frame's pixel at a map point (0 where transparent or outside).
int LevelAt(const Frame& f, double east, double north) {
    const int x = static_cast<int>(std::floor((east - f.gt[0]) / f.gt[1]));
    const int y = static_cast<int>(std::floor((north - f.gt[3]) / f.gt[5]));
    if (x < 0 || y < 0 || x >= GDALGetRasterXSize(f.ds) || y >= GDALGetRasterYSize(f.ds))
        return 0;
    uint8_t rgba[4];
    int bands[4] = {1, 2, 3, 4};
    if (GDALDatasetRasterIO(f.ds, GF_Read, x, y, 1, 1, rgba, 1, 1, GDT_Byte, 4, bands, 4, 4, 1) !=
        CE_None)
        return 0;
    return rgba[3] ? rgba[0] + rgba[1] + rgba[2] : 0;
}

TEST_F(GeotiffExportTest, TheQuayWallAheadLandsWhereTheMapPutsIt) {
    // Sector sweeps ahead while the boat runs slowly toward the quay 40 m ahead of the start.
    SurveyPlan plan;
    plan.gridMode = 0;
    plan.seconds = 20.0;
    plan.track = {40.3977, -3.6527, 30.0, 0.5};
    const std::vector<Frame> frames = Export(plan, "sector");
    ASSERT_GE(frames.size(), 3u);
    ZoneTransform zone(result_.epsg);
    int checked = 0;
    for (const Frame& f : frames) {
        const double t = f.centreSeconds - plan.startUnix;
        const double toWall = 40.0 - sim::DistanceOnTrack(plan.track, t);
        // The boat's place and the wall's, each computed from the track alone.
        double e0, n0, ew, nw;
        zone.Forward(sim::PositionOnTrack(plan.track, t), e0, n0);
        zone.Forward(sim::PositionOnTrack(plan.track, t + toWall / plan.track.speedMetresPerSecond),
                     ew, nw);
        // Walk out toward the wall from past the pipe on the bottom (18 m short of the quay):
        // the first bright pixel is the wall's face.
        double found = -1.0;
        for (double d = toWall - 8.0; d < toWall + 6.0; d += 0.05) {
            const double k = d / toWall;
            if (LevelAt(f, e0 + (ew - e0) * k, n0 + (nw - n0) * k) > 400) {
                found = d;
                break;
            }
        }
        EXPECT_NEAR(found, toWall, 1.0) << "frame at " << t << " s";
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST_F(GeotiffExportTest, MosaicAndTrackOpenInGdalAndOgr) {
    SurveyPlan plan;
    plan.seconds = 20.0;
    const std::vector<Frame> frames = Export(plan, "layers");
    ASSERT_FALSE(frames.empty());
    GDALDatasetH vrt = GDALOpen(dir_->File("layers/mosaic.vrt").c_str(), GA_ReadOnly);
    ASSERT_NE(vrt, nullptr);
    EXPECT_EQ(GDALGetRasterCount(vrt), 4);
    GDALClose(vrt);

    GDALDatasetH json = GDALOpenEx(dir_->File("layers/track.geojson").c_str(), GDAL_OF_VECTOR,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(json, nullptr);
    OGRLayerH layer = GDALDatasetGetLayer(json, 0);
    EXPECT_EQ(OGR_L_GetFeatureCount(layer, TRUE), int64_t(frames.size()) + 1);
    OGRFeatureH line = OGR_L_GetNextFeature(layer);
    ASSERT_NE(line, nullptr);
    OGRGeometryH g = OGR_F_GetGeometryRef(line);
    EXPECT_EQ(wkbFlatten(OGR_G_GetGeometryType(g)), wkbLineString);
    // One point a second, each with its time.
    const int points = OGR_G_GetPointCount(g);
    EXPECT_NEAR(points, 20, 2);
    char** times = OGR_F_GetFieldAsStringList(line, OGR_F_GetFieldIndex(line, "times"));
    EXPECT_EQ(CSLCount(times), points);
    EXPECT_NEAR(OGR_G_GetX(g, 0), -3.6527, 1e-4);
    EXPECT_NEAR(OGR_G_GetY(g, 0), 40.3977, 1e-4);
    OGR_F_Destroy(line);
    GDALClose(json);

    // And the command-line readers a GIS user would try first.
    if (HaveProgram("ogrinfo")) {
        const std::string info =
            RunCommand("ogrinfo -ro -al -so " + dir_->File("layers/track.geojson") + " 2>&1");
        EXPECT_NE(info.find("Feature Count: " + std::to_string(frames.size() + 1)),
                  std::string::npos)
            << info;
    }
    if (HaveProgram("gdalinfo")) {
        const std::string info =
            RunCommand("gdalinfo -json " + dir_->File("layers/sweep-0001.tif") + " 2>&1");
        EXPECT_NE(info.find("\"colorInterpretation\":\"Alpha\""), std::string::npos) << info;
        EXPECT_NE(info.find("32630"), std::string::npos);
    }
}

TEST_F(GeotiffExportTest, ARecordingWithoutAFixIsRefused) {
    SurveyPlan plan;
    plan.seconds = 3.0;
    plan.gps = false;
    WriteSimulatedSurvey(dir_->File("nofix.ksd"), plan);
    const SweepExportResult r = ExportSweeps({dir_->File("nofix.ksd"), dir_->File("nofix")});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("no GPS fix"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace tarvisk::test
