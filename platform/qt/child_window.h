#pragma once
// A child window of the main window: it lives inside the client area and moves with it, has
// no frame from the window manager, and draws its own border and caption (title and close
// box). The caption drags it about within the client area; the close box closes it as the
// operator would (a close event, which the owners watch), while hiding it from the program
// sends none.

#include <QString>
#include <QWidget>

namespace tarvisk {

inline constexpr int ChildCaptionHeight = 18;
inline constexpr int ChildBorder = 1;

class ChildWindow : public QWidget {
    Q_OBJECT
  public:
    ChildWindow(const QString& title, QWidget* parent);

    // The close box in the window's own coordinates.
    QRect CloseBox() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPoint dragFrom_;
    bool dragging_ = false;
    bool closePressed_ = false;
};

}  // namespace tarvisk
