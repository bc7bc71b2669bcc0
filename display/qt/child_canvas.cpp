#include "display/qt/child_canvas.h"
#include "platform/qt/window_thread.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace tarvisk {

namespace {

class CloseWatcher : public QObject {
  public:
    CloseWatcher(QObject* parent, std::function<void()> onClose)
        : QObject(parent), onClose_(std::move(onClose)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && onClose_)
            onClose_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onClose_;
};

}  // namespace

ChildCanvas::ChildCanvas(Size size, const DrawSurface& palette, QWidget* parent)
    : QWidget(parent), palette_(palette), framebuffer_(size) {
    setFixedSize(size.width, size.height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChildCanvas::Redraw() {
    PostToWindowThread(this, [this] { update(); });
}

void ChildCanvas::paintEvent(QPaintEvent*) {
    // The main window's palette may change (colour tables); take it afresh.
    PaletteTable table{};
    for (int32_t i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = palette_.PaletteRgb(i);
    framebuffer_.SetPalette(table);
    if (draw)
        draw(framebuffer_);
    QPainter painter(this);
    painter.drawImage(0, 0, framebuffer_.Snapshot());
}

void OnChildClosed(QWidget* window, std::function<void()> onClose) {
    window->installEventFilter(new CloseWatcher(window, std::move(onClose)));
}

void FillChildWindow(QWidget* window, QWidget* content) {
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    // The window's own margins hold its border and caption.
    const QMargins m = window->contentsMargins();
    window->setFixedSize(content->sizeHint().expandedTo(content->minimumSize()) +
                         QSize(m.left() + m.right(), m.top() + m.bottom()));
}

}  // namespace tarvisk
