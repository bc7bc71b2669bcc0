#pragma once
// The contents of the "Azimuth" and "Orientation" child windows: a drawing area and, for the
// azimuth window, its button. The drawing routines live in display/peripheral_windows.h.

#include <QPushButton>
#include <QWidget>
#include <functional>

#include "display/qt/child_canvas.h"

namespace tarvisk {

class AzimuthWindowView : public QWidget {
    Q_OBJECT
  public:
    AzimuthWindowView(const DrawSurface& palette, QWidget* parent);
    ChildCanvas* Canvas() const { return canvas_; }
    QPushButton* Button() const { return button_; }
    std::function<void()> onButton;
    // Text and state of the button; call on the window thread.
    void SetButton(const char* text, bool enabled);

  private:
    ChildCanvas* canvas_;
    QPushButton* button_;
};

// The scan window: its drawing and the "Change Head ID" and "Program Head" buttons, each
// shown pressed while its dialog is open.
class HeadScanWindowView : public QWidget {
    Q_OBJECT
  public:
    HeadScanWindowView(const DrawSurface& palette, QWidget* parent);
    ChildCanvas* Canvas() const { return canvas_; }
    QPushButton* ChangeIdButton() const { return changeId_; }
    QPushButton* ProgramButton() const { return program_; }
    std::function<void()> onChangeId, onProgram;

  private:
    ChildCanvas* canvas_;
    QPushButton* changeId_;
    QPushButton* program_;
};

}  // namespace tarvisk
