#include <QCursor>
#include <QPixmap>

#include "app/image_mouse_host.h"

namespace tarvisk {

void ConnectImageMouse(ImageMouse& mouse, HostWindow& host) {
    FramebufferView* view = host.View();
    // Column 598 is range 0 of a port-side line: the measuring area reaches it.
    view->imageArea = MeasureArea;
    host.onMenuInit = [&mouse] { mouse.OnMenuOpened(); };
    view->onLeave = [&mouse] { mouse.OnPointerLeft(); };
    mouse.onPointerHidden = [view](bool hidden) {
        const QCursor cursor =
            hidden ? QCursor(Qt::BlankCursor)
                   : QCursor(QPixmap(QStringLiteral(":/tarvisk/newcur.png")), 16, 16);
        view->SetImageCursor(cursor);
        const QPoint at = view->mapFromGlobal(QCursor::pos());
        if (MeasureArea.Contains({at.x(), at.y()}))
            view->setCursor(cursor);
    };
}

}  // namespace tarvisk
