#include "settings/sonar_settings.h"

namespace tarvisk {

void ApplyRangeIndex(SonarSettings& settings, int32_t index) {
    if (index < MinRangeIndex || index > MaxRangeIndex)
        return;
    const RangeEntry& entry = RangeTable[index];
    settings.Range = index;
    settings.RangeMeters = entry.meters;
    settings.RangeScale = entry.scale;
    settings.SampleSpacing = entry.scale * 0.1f;
}

void ApplyDisplayMode(SonarSettings& settings, int32_t mode) {
    settings.GridMode = mode;
    switch (mode) {
        case Polar:
            settings.SectorSize = settings.PolarSectorSize.Get();
            break;
        case SS:
            settings.SectorSize = 0;
            break;
        default:
            settings.SectorSize = settings.SectorSectorSize.Get();
            break;
    }
}

void ApplySideScanTrain(SonarSettings& settings) {
    settings.SSChannel = settings.SSTrain.Get();
    if (settings.GridMode != SS)
        return;
    settings.SectorSize = 0;
    if (settings.SSTrain == PortChannel)
        settings.Train = 270;
    else if (settings.SSTrain == StbdChannel)
        settings.Train = 90;
}

void ApplySideScanTrainFromTrain(SonarSettings& settings) {
    if (settings.GridMode == SS) {
        if (settings.Train == 90)
            settings.SSTrain = StbdChannel;
        else if (settings.Train == 270)
            settings.SSTrain = PortChannel;
    }
    settings.SSChannel = settings.SSTrain.Get();
}

void ApplyRangeMeters(SonarSettings& settings, int32_t meters) {
    int32_t index = RangeIndexForMeters(meters);
    if (index >= 0)
        ApplyRangeIndex(settings, index);
}

int32_t RoundFrequency(int32_t kilohertz) {
    return static_cast<int32_t>(static_cast<float>(kilohertz) * 0.2f + 0.5f) * 5;
}

LiveCopy SaveLiveCopy(const SonarSettings& s) {
    LiveCopy c;
    c.RangeMeters = s.RangeMeters;
    c.Range = s.Range;
    c.Speed = s.Speed;
    c.Gain = s.Gain;
    c.SectorSize = s.SectorSize;
    c.Train = s.Train;
    c.RangeOffset = s.RangeOffset;
    c.Absorption = s.Absorption;
    c.DataBits = s.DataBits;
    c.LogF = s.LogF;
    c.PulseLength = s.PulseLength;
    c.GridMode = s.GridMode;
    c.Xdcr = s.Xdcr;
    c.SoundVelocityMeters = s.SoundVelocityMeters;
    s.UserText.CopyTo(c.UserText.data(), c.UserText.size());
    c.ProfileChainage = s.ProfileChainage;
    c.ProfileElevation = s.ProfileElevation;
    c.ProfileXOffset = s.ProfileXOffset;
    c.ProfileDredgeDepth = s.ProfileDredgeDepth;
    c.VerticalAngleOffset = s.VerticalAngleOffset;
    c.PitchOffset = s.PitchOffset;
    c.RollOffset = s.RollOffset;
    c.HeadingOffset = s.HeadingOffset;
    return c;
}

void RestoreLiveCopy(SonarSettings& s, const LiveCopy& c) {
    s.RangeMeters = c.RangeMeters;
    s.Range = c.Range;
    // The derived range values follow the restored index.
    if (c.Range >= MinRangeIndex && c.Range <= MaxRangeIndex) {
        s.RangeScale = RangeTable[c.Range].scale;
        s.SampleSpacing = RangeTable[c.Range].scale * 0.1f;
    }
    s.Speed = c.Speed;
    s.Gain = c.Gain;
    s.SectorSize = c.SectorSize;
    s.Train = c.Train;
    s.RangeOffset = c.RangeOffset;
    s.Absorption = c.Absorption;
    s.DataBits = c.DataBits;
    s.LogF = c.LogF;
    s.PulseLength = c.PulseLength;
    s.GridMode = c.GridMode;
    s.Xdcr = c.Xdcr;
    s.SoundVelocityMeters = c.SoundVelocityMeters;
    s.UserText.Set(std::string_view(c.UserText.data()));
    s.ProfileChainage = c.ProfileChainage;
    s.ProfileElevation = c.ProfileElevation;
    s.ProfileXOffset = c.ProfileXOffset;
    s.ProfileDredgeDepth = c.ProfileDredgeDepth;
    s.VerticalAngleOffset = c.VerticalAngleOffset;
    s.PitchOffset = c.PitchOffset;
    s.RollOffset = c.RollOffset;
    s.HeadingOffset = c.HeadingOffset;
    // A played file may have looked to the other side: the live side is the live Train's.
    ApplySideScanTrainFromTrain(s);
}

std::string_view RangeLabel(const SonarSettings& settings) {
    int32_t index = settings.Range;
    if (index < MinRangeIndex || index > MaxRangeIndex)
        index = 9;
    return settings.Units == Feet ? RangeTable[index].feetLabel : RangeTable[index].metreLabel;
}

}  // namespace tarvisk
