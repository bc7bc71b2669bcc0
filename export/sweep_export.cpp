#include "export/sweep_export.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <vector>

#include "export/fan_coverage.h"
#include "export/geotiff_frame.h"
#include "export/gis_layers.h"
#include "export/gps_track.h"
#include "files/auto_frame_capture.h"
#include "files/headless_playback.h"
#include "head/orientation_module.h"
#include "imaging/palette.h"
#include "settings/settings_tables.h"

namespace tarvisk {

namespace {

// The orientation module's replies drive its filter as they did live.
class RecordedHeading : public LinkHooks {
  public:
    RecordedHeading(HeadLink& link, const SonarSettings& settings)
        : link_(link), settings_(settings), previous_(link.Hooks) {
        link_.Hooks = this;
    }
    ~RecordedHeading() override { link_.Hooks = previous_; }
    RecordedHeading(const RecordedHeading&) = delete;
    RecordedHeading& operator=(const RecordedHeading&) = delete;
    void OnOrientationReply() override {
        ApplyOrientationReply(module, link_.Orientation, settings_);
        seen = true;
    }
    OrientationModule module;
    bool seen = false;

  private:
    HeadLink& link_;
    const SonarSettings& settings_;
    LinkHooks* previous_;
};

struct SweepShot {
    double seconds = 0.0;
    RecordTime time;
    float heading = 0.0f;
    bool headingKnown = false;
};

std::string IsoText(const RecordTime& t) {
    char text[32];
    return std::string(text, FormatIsoTime(t, text));
}

double FanHalfWidth(int32_t speed) {
    // The fan spreads over the step on either side of the shot, plus its own half-width.
    const double step = (speed >= 4 ? 8 : speed + 1) * std::numbers::pi / 600.0;
    const double half = (speed >= 4 ? 1.2 : 0.6) * std::numbers::pi / 180.0;
    return step + half;
}

class SweepFrames : public FrameCaptureUi {
  public:
    SweepFrames(HeadlessPlayback& pb, const GpsTrack& track, const std::string& outDir,
                SweepExportResult& result)
        : pb_(pb), track_(track), outDir_(outDir), result_(result), heading_(pb.link, pb.settings) {
        Palette palette;
        palette.ApplyColourTable(pb.settings.Colors);
        colours_ = palette.Colours();
        shots_.reserve(4096);
    }

    // After each shot the pipeline drew.
    void AddShot() {
        const SonarSettings& s = pb_.settings;
        if (s.GridMode != Sector && s.GridMode != Polar)
            return;
        const int32_t key[5] = {s.RangeMeters, s.GridMode, s.SectorSize, s.DataBits, s.Profile};
        if (!std::equal(key, key + 5, lastKey_)) {
            // The pipeline cleared the picture for this change.
            coverage_.Clear();
            std::copy(key, key + 5, lastKey_);
        }
        coverage_.MarkFan(pb_.link.Shot.HeadAngleRadians, FanHalfWidth(s.Speed));
        SweepShot shot;
        if (!RecordTimeFrom(pb_.commands.Player().Header(), shot.time))
            return;
        shot.seconds = RecordSeconds(shot.time);
        shot.heading = heading_.module.FilteredHeading;
        shot.headingKnown = heading_.seen;
        shots_.push_back(shot);
    }

    void SetMenuText(std::string_view) override {}
    void ShowMessage(std::string_view, std::string_view) override {}
    void ShowStripMessage(std::string_view) override {}
    void PauseMilliseconds(int32_t) override {}
    void ClearStrip() override {}
    bool Capture(const std::string&) override {
        // The shot that ends a sweep is the first of the next one.
        if (shots_.size() < 3) {
            KeepLastShot();
            return true;
        }
        const SweepShot last = shots_.back();
        shots_.pop_back();
        const bool ok = WriteFrame();
        shots_.clear();
        shots_.push_back(last);
        return ok;
    }

    bool failed = false;
    std::vector<std::string> frames;
    std::vector<SweepCentre> centres;

  private:
    void KeepLastShot() {
        if (shots_.empty())
            return;
        const SweepShot last = shots_.back();
        shots_.clear();
        shots_.push_back(last);
    }

    bool WriteFrame() {
        const SonarSettings& s = pb_.settings;
        const SweepShot& first = shots_.front();
        const SweepShot& end = shots_.back();
        const SweepShot& middle = shots_[shots_.size() / 2];
        const double centreSeconds = 0.5 * (first.seconds + end.seconds);
        const TrackState state = track_.At(centreSeconds);

        // The heading is true; the grid's north leans away from it off the central meridian.
        const double convergence =
            track_.Projection().TrueNorthOnGridDegrees(track_.Projection().Inverse(state.position));
        double gridHeading = middle.heading + convergence;
        if (!middle.headingKnown) {
            // Without the module the boat is taken to head where it goes (a grid course).
            const double speed = std::hypot(state.east_mps, state.north_mps);
            gridHeading =
                speed > 0.2 ? std::atan2(state.east_mps, state.north_mps) * 180.0 / std::numbers::pi
                            : convergence;
            result_.headingFromTrack = true;
        }
        const bool sectorTrain = s.GridMode == Sector && s.ProfileGrid == 0;
        FramePlacement placement;
        placement.transducer = state.position;
        placement.upAzimuthDegrees = gridHeading + (sectorTrain ? int32_t(s.Train) : 0);
        const double velocity = s.SoundVelocityMeters;
        // The spacing is single precision: 0.2 m stays 0.2 m in the file, not 0.200000003.
        const double spacing = std::round(double(s.SampleSpacing) * 1e6) / 1e6;
        placement.metresPerPixel = spacing * (s.GridMode == Polar ? 2.0 : 1.0) * velocity / 1500.0;
        placement.epsg = track_.Projection().Epsg();

        PlanViewGeometry view;
        view.originX = 298;
        const bool hanging = s.GridMode == Sector && s.ProfileGrid == 1 && s.ZeroDown == 0;
        view.hanging = hanging;
        view.originY = s.GridMode == Polar ? 253 : (hanging ? 1 : 505);
        view.radius = pb_.link.Expected.SamplesPerLine;

        RenderFrame(pb_.image, colours_, view, coverage_, placement, raster_);
        FrameNotes notes;
        notes.startTime = IsoText(first.time);
        notes.endTime = IsoText(end.time);
        RecordTime centre = middle.time;
        notes.centreTime = IsoText(centre);
        notes.shots = static_cast<int>(shots_.size());

        char name[32];
        std::snprintf(name, sizeof name, "sweep-%04lld.tif",
                      static_cast<long long>(frames.size() + 1));
        const std::string path = (std::filesystem::path(outDir_) / name).string();
        std::string error;
        if (!WriteGeoTiff(path, raster_, placement, notes, &error)) {
            result_.error = "cannot write " + path + ": " + error;
            failed = true;
            return false;
        }
        frames.push_back(path);
        centres.push_back(
            {name, notes.centreTime, track_.Projection().Inverse(placement.transducer)});
        return true;
    }

    HeadlessPlayback& pb_;
    const GpsTrack& track_;
    const std::string& outDir_;
    SweepExportResult& result_;
    RecordedHeading heading_;
    ColourTable colours_{};
    FanCoverage coverage_;
    FrameRaster raster_;
    std::vector<SweepShot> shots_;
    int32_t lastKey_[5] = {-1, -1, -1, -1, -1};
};

}  // namespace

SweepExportResult ExportSweeps(const SweepExportRequest& request,
                               const std::function<void(int64_t, int64_t)>& progress) {
    SweepExportResult result;
    GpsTrack track;
    if (!track.Read(request.ksdPath, &result.error))
        return result;
    if (track.Fixes().empty()) {
        result.error = "the recording holds no GPS fix: nothing to place the sweeps by";
        return result;
    }
    if (!track.Project(&result.error))
        return result;
    result.epsg = track.Projection().Epsg();

    std::error_code ec;
    std::filesystem::create_directories(request.outDir, ec);
    if (!std::filesystem::is_directory(request.outDir)) {
        result.error = "cannot create the folder " + request.outDir;
        return result;
    }

    auto pb = std::make_unique<HeadlessPlayback>();
    // A map wants the echoes, not the screen's grid lines.
    pb->settings.Grid = 0;
    if (!pb->Open(request.ksdPath)) {
        result.error = pb->ui.lastMessage.empty() ? "cannot be read" : pb->ui.lastMessage;
        return result;
    }
    SweepFrames frames(*pb, track, request.outDir, result);
    SharedInt captureOn{1};
    AutoFrameCapture capture(pb->settings, pb->link.Shot, captureOn, frames);
    pb->drawing.RedrawImage();
    Player& player = pb->commands.Player();
    player.DrawNextRecord();
    for (;;) {
        const StepResult r = player.Step();
        if (r == StepResult::EndOfFile)
            break;
        if (r == StepResult::Searching)
            continue;
        ++result.records;
        const int32_t type = pb->link.Expected.ReplyType;
        if (r == StepResult::Shown &&
            (type == ReplyTypeSector || type == ReplyTypePolar || type == ReplyTypeProfile))
            frames.AddShot();
        capture.ExamineShot(request.ksdPath);
        if (frames.failed)
            return result;
        if (progress)
            progress(player.Position(), player.FileSize());
    }
    result.frames = static_cast<int64_t>(frames.frames.size());

    if (!frames.frames.empty()) {
        const std::string vrt = (std::filesystem::path(request.outDir) / "mosaic.vrt").string();
        std::string error;
        if (!WriteMosaicVrt(vrt, frames.frames, &error)) {
            result.error = "cannot write " + vrt + ": " + error;
            return result;
        }
    }
    const std::string json = (std::filesystem::path(request.outDir) / "track.geojson").string();
    std::string error;
    if (!WriteTrackGeoJson(json, track, frames.centres, &error)) {
        result.error = "cannot write " + json + ": " + error;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarvisk
