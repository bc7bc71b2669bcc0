#include "files/playback_models.h"

#include <cstring>

namespace tarvisk {

int32_t PlotSpeedDelayMs(int32_t plotSpeed) {
    if (plotSpeed >= 100)
        return 0;
    const int32_t d = 100 - (plotSpeed < 0 ? 0 : plotSpeed);
    if (d <= 10)
        return static_cast<int32_t>(d * 0.25);
    if (d <= 20)
        return static_cast<int32_t>(d * 0.5);
    if (d <= 30)
        return static_cast<int32_t>(d * 0.75);
    if (d <= 40)
        return d;
    if (d <= 50)
        return 2 * d;
    if (d <= 60)
        return 4 * d;
    if (d <= 70)
        return 6 * d;
    if (d <= 80)
        return 8 * d;
    if (d <= 90)
        return 10 * d;
    return 12 * d;
}

int32_t PlaybackPercent(int64_t position, int64_t fileSize) {
    if (fileSize <= 0)
        return 0;
    const int64_t percent = static_cast<int64_t>(
        static_cast<double>(position) * 100.0 / static_cast<double>(fileSize) + 0.5);
    return (percent > 100 || percent < 0) ? 0 : static_cast<int32_t>(percent);
}

int32_t PlaybackSpeedStrip::BarWidth(int32_t plotSpeed) {
    int32_t a = static_cast<int32_t>(plotSpeed * 0.01 * BarMax);
    return a < 0 ? 0 : a > BarMax ? BarMax : a;
}

PanelRect PlaybackSpeedStrip::LightPart(int32_t plotSpeed) {
    return {267, 534, 267 + BarWidth(plotSpeed), 549};
}

PanelRect PlaybackSpeedStrip::DarkPart(int32_t plotSpeed) {
    return {BarWidth(plotSpeed) + 268, 534, 336, 549};
}

PanelRect PlaybackSpeedStrip::LeftArrow(int32_t w, int32_t h) {
    return {LeftArrowX, ArrowY, LeftArrowX + w, ArrowY + h};
}

PanelRect PlaybackSpeedStrip::RightArrow(int32_t w, int32_t h) {
    return {RightArrowX, ArrowY, RightArrowX + w, ArrowY + h};
}

bool PlaybackSpeedStrip::StepRight(SharedInt& plotSpeed) {
    if (plotSpeed > 90)
        return false;
    plotSpeed = plotSpeed + 10;
    return plotSpeed <= 99;
}

bool PlaybackSpeedStrip::StepLeft(SharedInt& plotSpeed) {
    if (plotSpeed <= 9)
        return false;
    plotSpeed = plotSpeed - 10;
    return plotSpeed >= 1;
}

void PlaybackPanelRefresh::Invalidate() {
    range_ = mode_ = xdcr_ = speed_ = train_ = sector_ = gain_ = 1000;
}

PanelChanges PlaybackPanelRefresh::Update(const SonarSettings& s, bool playback) {
    PanelChanges c;
    const int32_t range = s.Range, mode = s.GridMode, xdcr = s.Xdcr;
    if (playback) {
        const int32_t speed = s.Speed, train = s.Train, sector = s.SectorSize, gain = s.Gain;
        c.Range = range != range_;
        c.Mode = c.Range || mode != mode_;
        c.Speed = c.Mode || speed != speed_;
        c.Train = train != train_;
        c.Sector = sector != sector_;
        c.Gain = gain != gain_;
        range_ = range;
        mode_ = mode;
        speed_ = speed;
        train_ = train;
        sector_ = sector;
        gain_ = gain;
    }
    c.Transducer = xdcr != xdcr_;
    xdcr_ = xdcr;
    return c;
}

void PlaybackScreenSync::Reset() {
    *this = PlaybackScreenSync{};
}

ScreenChanges PlaybackScreenSync::Update(const PlayedRecordState& record,
                                         const SonarSettings& settings, int32_t rangeMeters,
                                         bool imageRedrawn) {
    ScreenChanges c;
    if (record.Seconds != seconds_) {
        seconds_ = record.Seconds;
        c.DateTime = true;
        if (settings.EnableOrientationModule && ++orientationCount_ >= 5)
            c.Orientation = true;
    }
    if (record.FileFrequency != frequency_) {
        frequency_ = record.FileFrequency;
        c.Frequency = true;
    }
    c.Gps = record.HasGps;
    const int32_t mode = settings.GridMode;
    if ((rangeMeters != range_ || mode != mode_) && !imageRedrawn)
        c.RedrawImage = true;
    range_ = rangeMeters;
    mode_ = mode;
    if (record.SoundVelocity != soundVelocity_) {
        soundVelocity_ = record.SoundVelocity;
        c.SoundVelocity = true;
    }
    if (record.UserText[0] != '\0' &&
        std::strncmp(record.UserText.data(), userText_.data(), UserTextSize) != 0) {
        userText_ = record.UserText;
        c.UserText = true;
    }
    if (settings.AzimuthDriveEnable && record.AzimuthPosition != azimuth_) {
        azimuth_ = record.AzimuthPosition;
        c.Azimuth = true;
    }
    return c;
}

}  // namespace tarvisk
