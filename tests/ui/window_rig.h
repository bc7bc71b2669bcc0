#pragma once
// The window's presenters (menu commands, mode switch) on a whole SonarSystem without a
// window: a surface that draws nothing, and stand-ins for the link, the shell and the
// features that note what was asked of them, in one log, in the order it was asked.

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/panel_layout.h"
#include "display/status_panel.h"
#include "ui/image_mouse.h"
#include "ui/menu_commands.h"
#include "ui/menu_resource.h"
#include "ui/menu_state.h"
#include "ui/mode_switch.h"
#include "ui/panel_input.h"
#include "ui/window_drawing.h"

namespace tarvisk::testing {

struct NullSurface final : DrawSurface {
    std::recursive_mutex mutex;
    std::recursive_mutex& Mutex() override { return mutex; }
    Size ClientSize() const override { return {1024, 768}; }
    void FillRect(const Rect&, PaletteColour) override {}
    void DrawRect(const Rect&, PaletteColour, PaletteColour) override {}
    void DrawEllipse(const Rect&, PaletteColour, PaletteColour) override {}
    void DrawPie(const Rect&, Point, Point, PaletteColour, PaletteColour) override {}
    void DrawLine(Point, Point, PaletteColour) override {}
    void DrawPolygon(const Point*, int32_t, PaletteColour, PaletteColour) override {}
    void SetPixel(Point, PaletteColour) override {}
    void DrawText(int32_t, int32_t, std::string_view, PaletteColour, TextFont,
                  const Rect*) override {}
    Size TextExtent(std::string_view text, TextFont) const override {
        return {8 * static_cast<int32_t>(text.size()), 13};
    }
    void DrawIndexedImage(Point, const uint8_t*, int32_t, int32_t, int32_t) override {}
    void StretchCopy(const Rect&, const Rect&) override {}
    void DrawLogo(const Rect&) override {}
    void SetPalette(const PaletteTable&) override {}
    uint32_t PaletteRgb(PaletteColour) const override { return 0; }
    void RequestRepaint(const Rect&) override {}
};

using Log = std::vector<std::string>;

// Notes each start with the gain the head would be sent, so a test sees what it started with.
struct LoggingLink final : LiveLink {
    Log& log;
    const SonarSettings& settings;
    LoggingLink(Log& l, const SonarSettings& s) : log(l), settings(s) {}
    void Start() override { log.push_back("start gain=" + std::to_string(settings.Gain.Get())); }
    void Stop() override { log.push_back("stop"); }
    void RequestAzimuthDetection() override { log.push_back("detect azimuth"); }
};

struct LoggingShell final : WindowShell, WindowServices, WindowGrabber {
    Log& log;
    std::map<ChildWindowId, bool> shown;
    std::string title;
    explicit LoggingShell(Log& l) : log(l) {}

    WindowServices& Services() override { return *this; }
    WindowGrabber& Grabber() override { return *this; }
    void ShowAbout(std::string_view t, std::string_view) override {
        log.push_back("about " + std::string(t));
    }
    void Close() override { log.push_back("close"); }
    void ShowLinkStatus(PaletteColour, PaletteColour, PaletteColour, int32_t) override {
        log.push_back("link status");
    }
    void FlushFrame() override { log.push_back("flush"); }
    void CreatePlaybackSlider(std::function<void(int32_t)>) override { log.push_back("slider+"); }
    void DestroyPlaybackSlider() override { log.push_back("slider-"); }

    void ShowMessage(std::string_view t, std::string_view text, MessageKind) override {
        log.push_back("box " + std::string(t) + ": " + std::string(text));
    }
    std::string AskSaveFileName(const FileDialogParams&) override { return {}; }
    std::string AskOpenFileName(const FileDialogParams&) override { return {}; }
    void ShowChild(ChildWindowId id) override { shown[id] = true; }
    void HideChild(ChildWindowId id) override { shown[id] = false; }
    bool IsChildShown(ChildWindowId id) const override {
        const auto it = shown.find(id);
        return it != shown.end() && it->second;
    }
    void SetTitle(std::string_view t) override { title = t; }
    void SetBusyCursor(bool) override {}
    WindowPicture GrabWholeWindow() override { return {}; }
};

// Stands in for every dialog and scan: notes the feature it was asked to run.
struct LoggingFeatures final : FeatureProvider, WindowPart {
    Log& log;
    explicit LoggingFeatures(Log& l) : log(l) {}
    void RunFeature(Feature f) override { log.push_back("feature " + std::string(FeatureName(f))); }
    void OnRunModeApplied() override { log.push_back("parts follow"); }
};

struct QuietPanelInputWindow final : PanelInputWindow {
    void DrawReadout(ReadoutId) override {}
    void DrawArrow(PanelArrow, bool) override {}
    void DrawHold() override {}
    void DrawRev(bool) override {}
    void DrawPlaybackSpeed() override {}
    void ShowKeyboardEntry(std::string_view) override {}
    void ClearKeyboardEntry() override {}
    void DrawSectorDial() override {}
    void DrawGridLabel() override {}
    void RepaintReadouts() override {}
    void ClearImageAndHistory() override {}
    void RedrawImage() override {}
    void GridPass() override {}
    void ToggleProfileGrid() override {}
    void RefreshMeasureReadouts() override {}
    void EndMeasurement() override {}
    void SelectSource(bool) override {}
    void ToggleReverse() override {}
    void Warn(std::string_view, std::string_view) override {}
    Point PointerPosition() override { return {}; }
    void SetPointerPosition(Point) override {}
    void StartRepeatTimer(int32_t) override {}
    void StopRepeatTimer() override {}
};

// Built as the Qt window builds them, live, the menu as the settings have it.
struct WindowRig {
    explicit WindowRig(int32_t runMode = 0) {
        s.RunMode = runMode;
        s.PreviousRunMode = runMode;
        system.liveCopy = SaveLiveCopy(s);
        ApplyMenuStateFromSettings(menu, s);
    }
    // Every feature and the parts' mode switch go to the logging stand-in.
    void ProvideAllFeatures() {
        for (size_t f = 0; f < FeatureCount; ++f)
            state.features.Register(static_cast<Feature>(f), &features);
    }
    bool Logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

    Log log;
    SonarSystem system;
    SonarSettings& s = system.settings;
    LoggingLink link{log, s};
    LoggingShell shell{log};
    LoggingFeatures features{log};
    NullSurface surface;
    MenuModel menu{TarviskMenuBar()};
    WindowState state;
    PanelLayout layout = ComputePanelLayout(PanelMetrics{});
    StatusPanel panel{s, surface, layout, system.link.Shot, system.image, system.imaging};
    ImageMouse mouse{s, state.input, system.image, panel, surface};
    QuietPanelInputWindow inputWindow;
    PanelInput input{s, state.input, system.imaging, menu, layout, inputWindow};
    WindowDrawing drawing{system, link, panel, surface, state};
    WindowContext window{system, link, menu, panel, state, drawing, shell};
    MenuCommands commands{window};
    ModeSwitch modes{window, mouse, input};
};

}  // namespace tarvisk::testing
