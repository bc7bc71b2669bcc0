#include "ui/window_drawing.h"

#include "files/file_commands.h"

namespace tarvisk {

PaletteTable ToPaletteTable(const ColourTable& colours) {
    PaletteTable t{};
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = (uint32_t(colours[i].r) << 16) | (uint32_t(colours[i].g) << 8) | colours[i].b;
    return t;
}

WindowDrawing::WindowDrawing(SonarSystem& system, LiveLink& link, StatusPanel& panel,
                             DrawSurface& surface, const WindowState& state)
    : system_(system),
      settings_(system.settings),
      link_(link),
      panel_(panel),
      surface_(surface),
      state_(state) {}

void WindowDrawing::ApplyColourTable() {
    system_.palette.ApplyColourTable(settings_.Colors);
    surface_.SetPalette(ToPaletteTable(system_.palette.Colours()));
    panel_.DrawColourBar();
    panel_.CopyImageToWindow();
    if (settings_.PixelZoom == 1)
        panel_.RefreshMagnifier();
}

void WindowDrawing::RedrawImage() {
    system_.drawing.RedrawImage();
}

void WindowDrawing::GridRedraw() {
    system_.image.DrawBusy = 1;
    system_.drawing.DrawGrid();
    system_.image.DrawBusy = 0;
}

void WindowDrawing::ClearImageAndHistory() {
    if (settings_.RunMode == 0 && link_.Running()) {
        // The acquisition thread decodes into the echo line without the image lock: it
        // clears its own shot data before the next shot.
        system_.imaging.HistoryClearRequest = 1;
        return;
    }
    FileCommands* files = state_.fileCommands;
    const bool keepList = settings_.RunMode == 1 && files && files->PlaybackRunning();
    system_.drawing.ClearImageAndHistory(system_.link.Shot.EchoLine, system_.history, keepList);
    system_.imaging.HistoryClearRequest = 0;
}

void WindowDrawing::RedrawPlaybackStrip() {
    if (settings_.RunMode != 1)
        return;
    panel_.DrawPlaybackSpeed();
    panel_.DrawSpeedArrow(false, false);
    panel_.DrawSpeedArrow(true, false);
    panel_.DrawReverse();
}

}  // namespace tarvisk
