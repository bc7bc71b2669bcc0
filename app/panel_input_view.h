#pragma once
// The main window's side of the panel input: draws on the panel, works on the picture, runs
// the auto-repeat timer and moves the pointer, as PanelInput asks.

#include <QTimer>

#include "ui/panel_input.h"

namespace tarvisk {

class MainWindow;

class PanelInputView : public PanelInputWindow {
  public:
    explicit PanelInputView(MainWindow& window);

    void DrawReadout(ReadoutId readout) override;
    void DrawArrow(PanelArrow arrow, bool pressed) override;
    void DrawHold() override;
    void DrawRev(bool pressed) override;
    void DrawPlaybackSpeed() override;
    void ShowKeyboardEntry(std::string_view text) override;
    void ClearKeyboardEntry() override;
    void DrawSectorDial() override;
    void DrawGridLabel() override;
    void RepaintReadouts() override;
    void ClearImageAndHistory() override;
    void RedrawImage() override;
    void GridPass() override;
    void ToggleProfileGrid() override;
    void RefreshMeasureReadouts() override;
    void EndMeasurement() override;
    void SelectSource(bool file) override;
    void ToggleReverse() override;
    void Warn(std::string_view title, std::string_view text) override;
    Point PointerPosition() override;
    void SetPointerPosition(Point p) override;
    void StartRepeatTimer(int32_t milliseconds) override;
    void StopRepeatTimer() override;

    // Runs when the repeat timer fires.
    std::function<void()> onRepeat;
    bool RepeatTimerActive() const { return timer_.isActive(); }

  private:
    MainWindow& window_;
    QTimer timer_;
};

}  // namespace tarvisk
