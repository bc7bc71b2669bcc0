#include "ui/mode_switch.h"

#include <string>

#include "files/file_commands.h"
#include "settings/settings_tables.h"
#include "ui/menu_resource.h"
#include "ui/menu_state.h"

namespace tarvisk {

ModeSwitch::ModeSwitch(const WindowContext& window, ImageMouse& mouse, PanelInput& input)
    : system_(window.system),
      settings_(window.system.settings),
      link_(window.link),
      menu_(window.menu),
      panel_(window.panel),
      state_(window.state),
      drawing_(window.drawing),
      shell_(window.shell),
      mouse_(mouse),
      input_(input) {}

void ModeSwitch::ApplyRunMode() {
    const bool playback = settings_.RunMode == 1;
    // 1. Counters and modes that belong to the old source.
    link_.ResetNoDataCounters();
    panel_.State().ReverseAvailable = 0;
    panel_.State().Reverse = 0;
    mouse_.EndMeasurement();
    // An entry typed for the head does not carry over into the other source.
    input_.EndKeyEntry();
    // 2. Everything that reads from or writes to a source stops.
    if (state_.fileCommands)
        state_.fileCommands->CloseAll();
    link_.Stop();
    // What the stopped thread recorded is drawn now, before the new mode draws over it.
    shell_.FlushFrame();
    if (playback) {
        // 3. The live values are kept aside while records overwrite them.
        panel_.DrawStatusBox("", PanelDarkGrey, PanelDarkGrey, PanelDarkGrey);
        system_.liveCopy = SaveLiveCopy(settings_);
        SetPlaybackMenuState(menu_);
        if (!(state_.fileCommands && state_.fileCommands->PlaybackRunning())) {
            const std::string title = std::string(WindowTitle) + " - [No File]";
            shell_.Services().SetTitle(title);
        }
        panel_.DrawDateTime({});
    } else {
        // 4. Back to the head with the values it had.
        RestoreLiveCopy(settings_, system_.liveCopy);
        settings_.ProfileRequest = settings_.Profile.Get();
        panel_.DrawRangeReadout();
        SetLiveMenuState(menu_, settings_);
        menu_.Enable(IdComPorts, true);
        shell_.Services().SetTitle(WindowTitle);
    }
    // 5. A new mode repaints the panel and starts a clean picture.
    if (settings_.RunMode != lastRunMode_) {
        lastRunMode_ = settings_.RunMode;
        settings_.PreviousRunMode = settings_.RunMode.Get();
        panel_.PaintAll();
        drawing_.ClearImageAndHistory();
        drawing_.RedrawImage();
    }
    // 6. The playback slider exists only in playback.
    if (playback) {
        state_.features.Run(Feature::PlaybackOnEntry);
        shell_.CreatePlaybackSlider([this](int32_t value) {
            if (state_.fileCommands)
                state_.fileCommands->SliderMoved(value);
        });
    } else {
        shell_.DestroyPlaybackSlider();
    }
    // 7. The drive, the orientation readings and the GPS field follow the new mode.
    state_.parts.ForEach([](WindowPart& part) { part.OnRunModeApplied(); });
    // 8. The head is read again only now: the steps above reset state (the orientation
    // readings, the picture) that the acquisition thread owns once it runs.
    if (!playback)
        link_.Start();
}

void ModeSwitch::SelectSource(bool file) {
    if (file) {
        if (settings_.RunMode == 1) {
            panel_.DrawSourceButtons();
            state_.features.Run(Feature::PlaybackOnEntry);
            return;
        }
        link_.Stop();
        settings_.RunMode = 1;
    } else {
        if (settings_.RunMode == 0)
            return;
        settings_.RunMode = 0;
    }
    panel_.DrawSourceButtons();
    ApplyRunMode();
}

void ModeSwitch::OnMinimizedChanged(bool minimized) {
    if (settings_.OnWhenMinimized == 1 || settings_.RunMode != 0)
        return;
    if (minimized) {
        link_.Stop();
        closedForMinimise_ = true;
    } else if (closedForMinimise_) {
        link_.Stop();
        link_.Start();
        closedForMinimise_ = false;
    }
}

}  // namespace tarvisk
