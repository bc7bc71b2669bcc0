#include "app/panel_input_view.h"

#include <QCursor>

#include "app/main_window.h"
#include "files/file_commands.h"

namespace tarvisk {

PanelInputView::PanelInputView(MainWindow& window) : window_(window) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onRepeat)
            onRepeat();
    });
}

void PanelInputView::DrawReadout(ReadoutId readout) {
    window_.Panel().DrawReadout(readout);
}

void PanelInputView::DrawArrow(PanelArrow arrow, bool pressed) {
    StatusPanel& panel = window_.Panel();
    if (arrow == PlotSpeedLeftArrow || arrow == PlotSpeedRightArrow)
        panel.DrawSpeedArrow(arrow == PlotSpeedRightArrow, pressed);
    else
        panel.DrawReadoutArrow(static_cast<ReadoutId>(arrow / 2), arrow % 2 == 0, pressed);
}

void PanelInputView::DrawHold() {
    window_.Panel().DrawHold();
}

void PanelInputView::DrawRev(bool pressed) {
    window_.Panel().DrawRev(pressed);
}

void PanelInputView::DrawPlaybackSpeed() {
    window_.Panel().DrawPlaybackSpeed();
}

void PanelInputView::ShowKeyboardEntry(std::string_view text) {
    window_.Panel().ShowKeyboardEntry(text);
}

void PanelInputView::ClearKeyboardEntry() {
    window_.Panel().ClearKeyboardEntry();
}

void PanelInputView::DrawSectorDial() {
    window_.Panel().DrawSectorDial();
}

void PanelInputView::DrawGridLabel() {
    window_.Panel().DrawGridLabel();
}

void PanelInputView::RepaintReadouts() {
    StatusPanel& panel = window_.Panel();
    for (int32_t r = 0; r < ReadoutCount; ++r)
        panel.DrawReadout(static_cast<ReadoutId>(r));
    panel.DrawAllArrows();
}

void PanelInputView::ClearImageAndHistory() {
    window_.Drawing().ClearImageAndHistory();
}

void PanelInputView::RedrawImage() {
    window_.Drawing().RedrawImage();
}

void PanelInputView::GridPass() {
    window_.Drawing().GridRedraw();
}

void PanelInputView::ToggleProfileGrid() {
    window_.Commands().ToggleProfileGrid();
}

void PanelInputView::RefreshMeasureReadouts() {
    window_.Mouse().RefreshReadouts();
}

void PanelInputView::EndMeasurement() {
    window_.Mouse().EndMeasurement();
}

void PanelInputView::SelectSource(bool file) {
    window_.SelectSource(file);
}

void PanelInputView::ToggleReverse() {
    if (window_.fileCommands)
        window_.fileCommands->ToggleReverse();
}

void PanelInputView::Warn(std::string_view title, std::string_view text) {
    window_.Warn(std::string(title), std::string(text));
}

Point PanelInputView::PointerPosition() {
    const QPoint p = window_.Host().View()->mapFromGlobal(QCursor::pos());
    return {p.x(), p.y()};
}

void PanelInputView::SetPointerPosition(Point p) {
    QCursor::setPos(window_.Host().View()->mapToGlobal(QPoint(p.x, p.y)));
}

void PanelInputView::StartRepeatTimer(int32_t milliseconds) {
    timer_.start(milliseconds);
}

void PanelInputView::StopRepeatTimer() {
    timer_.stop();
}

}  // namespace tarvisk
