#include "files/xyz_reprocess.h"

#include <bit>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>

#include "config/ini_settings.h"
#include "files/headless_playback.h"
#include "files/xyz_export.h"
#include "head/orientation_module.h"
#include "imaging/grid.h"

namespace tarvisk {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The orientation module's replies in the recording drive its filter as they did live, so
// the attitude columns come out as the scan wrote them.
class RecordedAttitude : public LinkHooks {
  public:
    RecordedAttitude(HeadLink& link, const SonarSettings& settings)
        : link_(link), settings_(settings), previous_(link.Hooks) {
        link_.Hooks = this;
    }
    ~RecordedAttitude() override { link_.Hooks = previous_; }
    RecordedAttitude(const RecordedAttitude&) = delete;
    RecordedAttitude& operator=(const RecordedAttitude&) = delete;

    void OnOrientationReply() override {
        ApplyOrientationReply(module, link_.Orientation, settings_);
    }
    OrientationModule module;

  private:
    HeadLink& link_;
    const SonarSettings& settings_;
    LinkHooks* previous_;
};

// Stands between the pipeline and the playback hooks: the overrides win over what each record
// restores, the sector edges follow the record as the dial would, and an azimuth block is cut
// where the recorded drive position changes.
class ReprocessHooks : public ShotRecorderHook, public ProfileContextHook {
  public:
    ReprocessHooks(HeadlessPlayback& pb, const XyzReprocessRequest& request,
                   const std::function<void()>& positionChanged)
        : pb_(pb),
          request_(request),
          positionChanged_(positionChanged),
          attitude_(pb.link, pb.settings) {
        for (const auto& [key, value] : request.overrides)
            if (EqualsNoCase(key, "SoundVelocityMeters"))
                velocityOverridden_ = true;
    }

    bool ReverseStepping() const override { return pb_.hooks.ReverseStepping(); }
    bool PlaybackFileOpen() const override { return pb_.hooks.PlaybackFileOpen(); }
    void RefreshFromRecord() override {
        pb_.hooks.RefreshFromRecord();
        ApplyOverrides();
        const SectorLimits limits = ComputeSectorLimits(pb_.settings);
        pb_.imaging.FirstSectorLimit = limits.first;
        pb_.imaging.SecondSectorLimit = limits.second;
        pb_.imaging.SectorStartIndex = limits.startIndex;
        const RecordHeader& header = pb_.commands.Player().Header();
        const int32_t position = header.AzimuthPresent ? header.AzimuthPosition : -1;
        if (position != drivePosition_) {
            if (positionChanged_)
                positionChanged_();
            drivePosition_ = position;
        }
    }
    float FileSoundVelocity() const override {
        return velocityOverridden_ ? float(pb_.settings.SoundVelocityMeters)
                                   : pb_.hooks.FileSoundVelocity();
    }

    void FillProfileContext(ProfileContext& c) override {
        ++attempted;
        const PlayedRecordState& played = pb_.commands.Player().Played();
        std::string stamp(played.DateTimeText.data(),
                          strnlen(played.DateTimeText.data(), played.DateTimeText.size()));
        stamp.append(played.HundredthsText.data(),
                     strnlen(played.HundredthsText.data(), played.HundredthsText.size()));
        std::strncpy(c.TimeStamp.data(), stamp.c_str(), c.TimeStamp.size() - 1);
        if (played.HasGps && played.Gps.PositionText[0] != '\0') {
            std::memcpy(c.GpsPosition.data(), played.Gps.PositionText.data(),
                        std::min(c.GpsPosition.size() - 1, played.Gps.PositionText.size()));
            c.GpsAltitude = std::bit_cast<int32_t>(played.Gps.Altitude);
        }
        c.Pitch = attitude_.module.FilteredPitch;
        c.Roll = attitude_.module.FilteredRoll;
        c.Heading = attitude_.module.FilteredHeading;
    }

    void ApplyOverrides() {
        for (const auto& [key, value] : request_.overrides)
            ApplyIniSetting(pb_.settings, key, value, nullptr);
    }

    int32_t DrivePosition() const { return drivePosition_; }
    int64_t attempted = 0;

  private:
    HeadlessPlayback& pb_;
    const XyzReprocessRequest& request_;
    const std::function<void()>& positionChanged_;
    bool velocityOverridden_ = false;
    int32_t drivePosition_ = -1;
    RecordedAttitude attitude_;
};

}  // namespace

XyzReprocessResult ReprocessToXyz(const XyzReprocessRequest& request,
                                  const std::function<bool(std::string_view)>& write,
                                  const std::function<void(int64_t, int64_t)>& progress) {
    XyzReprocessResult result;
    auto pb = std::make_unique<HeadlessPlayback>();
    if (!request.iniPath.empty()) {
        PortMap ports;
        if (!std::filesystem::exists(request.iniPath)) {
            result.error = "no INI file " + request.iniPath;
            return result;
        }
        if (!ReadTarviskIni(request.iniPath, pb->settings, ports, &result.error))
            return result;
    }
    for (const auto& [key, value] : request.overrides) {
        if (!ApplyIniSetting(pb->settings, key, value, &result.error)) {
            result.usageError = true;
            return result;
        }
    }

    bool writeFailed = false;
    // The live table stops counting at 1200 entries, one sweep's worth; a recording holds many
    // sweeps, so the log of a file or block is gathered here, table by table.
    std::vector<ProfileRecordBytes> log;
    auto gather = [&] {
        const auto entries = LoggedRecords(pb->profileRecords);
        log.insert(log.end(), entries.begin(), entries.end());
        pb->profileRecords.Clear();
    };
    auto emit = [&](const std::string& text) {
        if (!write(text))
            writeFailed = true;
        ++result.blocks;
        // The first and the last entry of a log are never written.
        result.written += log.size() >= 3 ? static_cast<int64_t>(log.size()) - 2 : 0;
    };
    std::function<void()> positionChanged;
    ReprocessHooks hooks(*pb, request, positionChanged);
    positionChanged = [&] {
        // The shots logged so far were all taken at the previous drive position.
        gather();
        if (hooks.DrivePosition() >= 0 && log.size() >= 3)
            emit(FormatAzimuthBlock(log, XyzOptionsFrom(pb->settings), hooks.DrivePosition()));
        log.clear();
    };
    if (request.form != XyzForm::Azimuth)
        positionChanged = nullptr;

    ShotHooks h;
    h.recorder = &hooks;
    h.delay = &pb->delay;
    h.profileContext = &hooks;
    pb->pipeline.SetHooks(h);

    if (!pb->Open(request.ksdPath)) {
        result.error = pb->ui.lastMessage.empty() ? "cannot be read" : pb->ui.lastMessage;
        return result;
    }
    // Every shot is logged as during a running scan.
    pb->imaging.AutoProfileRunning = 1;
    pb->imaging.WaitingForStart = 0;
    Player& player = pb->commands.Player();
    player.DrawNextRecord();
    for (;;) {
        const StepResult r = player.Step();
        if (r == StepResult::EndOfFile)
            break;
        if (r == StepResult::Searching)
            continue;  // a piece of the search past a damaged stretch: no record read
        ++result.records;
        gather();
        if (progress)
            progress(player.Position(), player.FileSize());
    }
    hooks.ApplyOverrides();
    result.logged = hooks.attempted;
    gather();
    const XyzOptions options = XyzOptionsFrom(pb->settings);
    switch (request.form) {
        case XyzForm::Vertical:
            emit(FormatVerticalProfile(log, options));
            break;
        case XyzForm::Horizontal:
            emit(FormatHorizontalProfile(log, options));
            break;
        case XyzForm::Azimuth:
            if (hooks.DrivePosition() >= 0 && log.size() >= 3)
                emit(FormatAzimuthBlock(log, options, hooks.DrivePosition()));
            break;
    }
    if (writeFailed) {
        result.error = "the output could not be written whole";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarvisk
