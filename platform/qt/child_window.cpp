#include "platform/qt/child_window.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tarvisk {

namespace {

QFont CaptionFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    return f;
}

}  // namespace

ChildWindow::ChildWindow(const QString& title, QWidget* parent) : QWidget(parent) {
    setWindowTitle(title);
    setContentsMargins(ChildBorder, ChildBorder + ChildCaptionHeight, ChildBorder, ChildBorder);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    // The keys stay with the main window.
    setFocusPolicy(Qt::NoFocus);
}

QRect ChildWindow::CloseBox() const {
    return QRect(width() - ChildBorder - 2 - 16, ChildBorder + 2, 16, ChildCaptionHeight - 4);
}

void ChildWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor(0xD4, 0xD0, 0xC8));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect caption(ChildBorder, ChildBorder, width() - 2 * ChildBorder, ChildCaptionHeight);
    QLinearGradient g(caption.topLeft(), caption.topRight());
    g.setColorAt(0, QColor(0x0A, 0x24, 0x6A));
    g.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
    p.fillRect(caption, g);

    const QRect box = CloseBox();
    p.fillRect(box, QColor(0xD4, 0xD0, 0xC8));
    p.setPen(closePressed_ ? QColor(0x40, 0x40, 0x40) : Qt::white);
    p.drawLine(box.topLeft(), box.topRight());
    p.drawLine(box.topLeft(), box.bottomLeft());
    p.setPen(closePressed_ ? Qt::white : QColor(0x40, 0x40, 0x40));
    p.drawLine(box.bottomLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomRight());
    p.setPen(QPen(Qt::black, 1.5));
    const QRect cross = box.adjusted(5, 4, -5, -4).translated(closePressed_ ? 1 : 0, 0);
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.bottomLeft(), cross.topRight());

    const QFont font = CaptionFont();
    p.setFont(font);
    p.setPen(Qt::white);
    const QRect textArea(caption.left() + 4, caption.top(), box.left() - caption.left() - 6,
                         caption.height());
    const QString title =
        QFontMetrics(font).elidedText(windowTitle(), Qt::ElideRight, textArea.width());
    p.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, title);
}

void ChildWindow::mousePressEvent(QMouseEvent* event) {
    raise();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (CloseBox().contains(at)) {
        closePressed_ = true;
        update(CloseBox());
    } else if (at.y() < ChildBorder + ChildCaptionHeight) {
        dragging_ = true;
        dragFrom_ = at;
    }
}

void ChildWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !parentWidget())
        return;
    // The whole window stays inside the client area, as a child window does.
    const QPoint wanted = mapToParent(event->position().toPoint()) - dragFrom_;
    const QSize room = parentWidget()->size() - size();
    move(std::clamp(wanted.x(), 0, std::max(0, room.width())),
         std::clamp(wanted.y(), 0, std::max(0, room.height())));
}

void ChildWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    if (!closePressed_)
        return;
    closePressed_ = false;
    update(CloseBox());
    if (event->button() == Qt::LeftButton && CloseBox().contains(event->position().toPoint()))
        close();
}

}  // namespace tarvisk
