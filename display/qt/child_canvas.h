#pragma once
// A drawing area inside one of the main window's child windows: on every paint it runs its
// drawing routine into its own framebuffer (palette colours as the main window's) and shows
// the result. Redraw() may be called from any thread.

#include <QWidget>
#include <functional>

#include "platform/qt/framebuffer.h"

namespace tarvisk {

class ChildCanvas : public QWidget {
    Q_OBJECT
  public:
    ChildCanvas(Size size, const DrawSurface& palette, QWidget* parent);
    std::function<void(DrawSurface&)> draw;
    // Queues a repaint; safe from the acquisition thread.
    void Redraw();
    Framebuffer& Surface() { return framebuffer_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const DrawSurface& palette_;
    Framebuffer framebuffer_;
};

// Runs `onClose` when the operator closes the window (not when the program hides it).
void OnChildClosed(QWidget* window, std::function<void()> onClose);

// Puts `content` into the child window and sizes the window to it.
void FillChildWindow(QWidget* window, QWidget* content);

}  // namespace tarvisk
