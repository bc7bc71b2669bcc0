#pragma once
// Small models of playback that the panel draws and the pipeline consults: the plot-speed
// pause, the playback-speed strip with its arrows and the "Reverse" box, and the change
// tracking that keeps the panel in step with the records being played.

#include <array>
#include <cstdint>

#include "settings/sonar_settings.h"
#include "files/ksd_record.h"

namespace tarvisk {

// The pause after a played shot, in milliseconds, for PlotSpeed 0..100 (100: none).
int32_t PlotSpeedDelayMs(int32_t plotSpeed);

// The playback position as the slider shows it.
int32_t PlaybackPercent(int64_t position, int64_t fileSize);

struct PanelRect {
    int32_t Left, Top, Right, Bottom;
    bool Contains(int32_t x, int32_t y) const {
        return x >= Left && x <= Right && y >= Top && y <= Bottom;
    }
};

// The strip under the image in file mode: a bar of PlotSpeed between two arrows, and the
// "Reverse" box beside it while the file allows backward play.
class PlaybackSpeedStrip {
  public:
    static constexpr int32_t BarMax = 68;
    static constexpr PanelRect Frame{266, 533, 336, 550};
    static constexpr PanelRect ReverseArea{362, 535, 431, 544};
    static constexpr int32_t ReverseLabelX = 377, ReverseLabelY = 533;
    static constexpr int32_t ReverseBoxX = 361, ReverseBoxY = 534;
    static constexpr int32_t LabelX = 275, LabelY = 535;
    static constexpr int32_t LeftArrowX = 251, RightArrowX = 336, ArrowY = 534;

    // Width of the light part of the bar.
    static int32_t BarWidth(int32_t plotSpeed);
    // The light part (267, 534)-(267 + a, 549) and the dark rest (a + 268, 534)-(336, 549).
    static PanelRect LightPart(int32_t plotSpeed);
    static PanelRect DarkPart(int32_t plotSpeed);
    static PanelRect LeftArrow(int32_t arrowWidth, int32_t arrowHeight);
    static PanelRect RightArrow(int32_t arrowWidth, int32_t arrowHeight);

    // One step of an arrow: returns whether a held arrow keeps repeating.
    static bool StepRight(SharedInt& plotSpeed);
    static bool StepLeft(SharedInt& plotSpeed);
};

// Which panel readouts a played shot changed (what the panel must redraw).
struct PanelChanges {
    bool Range = false;  // with the grid label
    bool Mode = false;
    bool Speed = false;
    bool Train = false;
    bool Sector = false;
    bool Gain = false;
    bool Transducer = false;
    bool Any() const { return Range || Mode || Speed || Train || Sector || Gain || Transducer; }
};

class PlaybackPanelRefresh {
  public:
    // After a full repaint every readout is drawn again on the next refresh.
    void Invalidate();
    PanelChanges Update(const SonarSettings& settings, bool playback);
    int32_t LastShownRange() const { return range_; }

  private:
    int32_t range_ = 1000, mode_ = 1000, xdcr_ = 1000, speed_ = 1000, train_ = 1000, sector_ = 1000,
            gain_ = 1000;
};

// What the screen must follow from a played record besides the readouts.
struct ScreenChanges {
    bool DateTime = false;
    bool Orientation = false;  // orientation window refresh (fifth seconds change on)
    bool Frequency = false;
    bool Gps = false;
    bool RedrawImage = false;    // range or display mode changed
    bool SoundVelocity = false;  // grid and label to redraw with the file's velocity
    bool UserText = false;
    bool Azimuth = false;  // azimuth window repaint
};

class PlaybackScreenSync {
  public:
    // rangeMeters: the reply's range; imageRedrawn: the format check already redrew.
    ScreenChanges Update(const PlayedRecordState& record, const SonarSettings& settings,
                         int32_t rangeMeters, bool imageRedrawn);
    void Reset();
    const std::array<char, UserTextSize + 1>& ShownUserText() const { return userText_; }

  private:
    int32_t seconds_ = 100;
    int32_t orientationCount_ = 0;
    int32_t frequency_ = -1;
    float soundVelocity_ = 0.0f;
    int32_t azimuth_ = -1;
    int32_t range_ = -1;
    int32_t mode_ = -1;
    std::array<char, UserTextSize + 1> userText_{};
};

}  // namespace tarvisk
