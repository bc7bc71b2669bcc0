#include "platform/qt/host_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>
#include <QThread>
#include <QWindowStateChangeEvent>

namespace tarvisk {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct ChildSpec {
    const char* title;
    QRect geometry;
};
constexpr std::array<ChildSpec, ChildWindowCount> ChildSpecs{{
    {"Diagnostics", QRect(10, 10, 170, 170)},
    {"Scan For Connected Heads", QRect(10, 10, 270, 400)},
    {"Azimuth", QRect(450, 405, 170, 170)},
    {"Orientation", QRect(10, 405, 170, 170)},
}};

}  // namespace

FramebufferView::FramebufferView(Framebuffer& framebuffer, QWidget* parent)
    : QWidget(parent), framebuffer_(framebuffer) {
    const Size s = framebuffer.ClientSize();
    setFixedSize(s.width, s.height);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void FramebufferView::paintEvent(QPaintEvent* event) {
    // Only the exposed area is copied, straight from the framebuffer under its lock.
    QPainter painter(this);
    framebuffer_.PaintArea(painter, event->rect());
}

void FramebufferView::mouseMoveEvent(QMouseEvent* event) {
    const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
    setCursor(imageArea.Contains(p) ? imageCursor_ : QCursor(Qt::ArrowCursor));
    if (onMouse)
        onMouse(MouseEventKind::Move, p);
}

void FramebufferView::mousePressEvent(QMouseEvent* event) {
    const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
    if (!onMouse)
        return;
    if (event->button() == Qt::LeftButton)
        onMouse(MouseEventKind::LeftDown, p);
    if (event->button() == Qt::RightButton)
        onMouse(MouseEventKind::RightDown, p);
}

void FramebufferView::mouseReleaseEvent(QMouseEvent* event) {
    const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
    if (onMouse && event->button() == Qt::LeftButton)
        onMouse(MouseEventKind::LeftUp, p);
}

void FramebufferView::leaveEvent(QEvent* event) {
    // A quick move off the window sends no move outside the image first.
    if (onLeave)
        onLeave();
    QWidget::leaveEvent(event);
}

HostWindow::HostWindow(Framebuffer& framebuffer, MenuModel& menu)
    : framebuffer_(framebuffer), menu_(menu) {
    view_ = new FramebufferView(framebuffer, this);
    setCentralWidget(view_);
    view_->SetImageCursor(QCursor(QPixmap(QStringLiteral(":/tarvisk/newcur.png")), 16, 16));
    setWindowIcon(QIcon(QStringLiteral(":/tarvisk/tarvisk.png")));
    BuildMenus(menuBar(), menu.Bar(), true);
    menu_.onChange = [this](int32_t id) { UpdateAction(id); };
    for (size_t i = 0; i < ChildSpecs.size(); ++i) {
        // Child windows sit over the client area with their own caption, like tool windows.
        auto* child = new QWidget(this, Qt::Tool);
        child->setWindowTitle(QString::fromLatin1(ChildSpecs[i].title));
        child->resize(ChildSpecs[i].geometry.size());
        child->setProperty("clientOffset", ChildSpecs[i].geometry.topLeft());
        child->hide();
        children_[i] = child;
    }
    setFocusPolicy(Qt::StrongFocus);
    // Repaints are coalesced: drawing only marks its area, one frame shows them all.
    framebuffer_.onRepaint = [this](const Rect&) { scheduler_.Notify(); };
    scheduler_.onFlush = [this] {
        if (beforeFrame)
            beforeFrame();
        const Rect r = framebuffer_.TakeDirty();
        if (r.Width() > 0 && r.Height() > 0)
            view_->update(r.left, r.top, r.Width(), r.Height());
    };
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

HostWindow::~HostWindow() {
    framebuffer_.onRepaint = nullptr;
    scheduler_.onFlush = nullptr;
    menu_.onChange = nullptr;
}

void HostWindow::BuildMenus(QWidget* parent, const std::vector<MenuItemSpec>& items,
                            bool topLevel) {
    for (const MenuItemSpec& item : items) {
        if (item.kind == MenuItemSpec::Separator) {
            if (auto* m = qobject_cast<QMenu*>(parent))
                m->addSeparator();
            continue;
        }
        if (item.kind == MenuItemSpec::Submenu) {
            QMenu* sub = topLevel ? static_cast<QMenuBar*>(parent)->addMenu(Q(item.text))
                                  : static_cast<QMenu*>(parent)->addMenu(Q(item.text));
            connect(sub, &QMenu::aboutToShow, this, [this] {
                if (onMenuInit)
                    onMenuInit();
            });
            BuildMenus(sub, item.children, false);
            continue;
        }
        QAction* action = new QAction(Q(item.text), parent);
        action->setData(item.id);
        action->setCheckable(true);
        parent->addAction(action);
        const int32_t id = item.id;
        // The model decides every check mark; a click only reports the command.
        connect(action, &QAction::triggered, this, [this, id, action] {
            action->setChecked(menu_.IsChecked(id));
            if (onCommand)
                onCommand(id);
        });
        actions_[id] = action;
        UpdateAction(id);
    }
}

void HostWindow::UpdateAction(int32_t id) {
    auto it = actions_.find(id);
    if (it == actions_.end())
        return;
    QAction* a = it->second;
    a->setText(Q(menu_.Text(id)));
    a->setEnabled(menu_.IsEnabled(id));
    a->setChecked(menu_.IsChecked(id));
    // Only items that carry a check mark draw the indicator.
    a->setCheckable(menu_.IsChecked(id));
}

QAction* HostWindow::Action(int32_t id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

template <typename F>
void HostWindow::OnUiThread(F&& f) const {
    if (QThread::currentThread() == thread()) {
        f();
    } else {
        QMetaObject::invokeMethod(const_cast<HostWindow*>(this), std::forward<F>(f),
                                  Qt::BlockingQueuedConnection);
    }
}

void HostWindow::ShowMessage(std::string_view title, std::string_view text, MessageKind kind) {
    const QString t = Q(title), m = Q(text);
    OnUiThread([this, t, m, kind] {
        QMessageBox box(kind == MessageKind::Warning       ? QMessageBox::Warning
                        : kind == MessageKind::Information ? QMessageBox::Information
                                                           : QMessageBox::NoIcon,
                        t, m, QMessageBox::Ok, this);
        box.exec();
    });
}

std::string HostWindow::AskSaveFileName(const FileDialogParams& r) {
    std::string result;
    OnUiThread([&] {
        QFileDialog dialog(this, Q(r.title), Q(r.proposedName),
                           Q(r.filterName) + QStringLiteral(";;All files (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(Q(r.defaultExtension));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            result = dialog.selectedFiles().first().toStdString();
    });
    return result;
}

std::string HostWindow::AskOpenFileName(const FileDialogParams& r) {
    std::string result;
    OnUiThread([&] {
        QFileDialog dialog(this, Q(r.title), Q(r.proposedName),
                           Q(r.filterName) + QStringLiteral(";;All files (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            result = dialog.selectedFiles().first().toStdString();
    });
    return result;
}

void HostWindow::ShowChild(ChildWindowId id) {
    OnUiThread([this, id] {
        QWidget* child = children_[static_cast<size_t>(id)];
        const QPoint offset = child->property("clientOffset").toPoint();
        child->move(view_->mapToGlobal(offset));
        child->show();
        child->raise();
    });
}

void HostWindow::HideChild(ChildWindowId id) {
    OnUiThread([this, id] { children_[static_cast<size_t>(id)]->hide(); });
}

bool HostWindow::IsChildShown(ChildWindowId id) const {
    return children_[static_cast<size_t>(id)]->isVisible();
}

void HostWindow::SetTitle(std::string_view title) {
    const QString t = Q(title);
    OnUiThread([this, t] { setWindowTitle(t); });
}

void HostWindow::SetBusyCursor(bool busy) {
    OnUiThread([this, busy] {
        if (busy == busy_)
            return;
        busy_ = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void HostWindow::Destroy() {
    closing_ = true;
    for (QWidget* child : children_)
        child->hide();
    close();
}

void HostWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    if (onCloseRequest)
        onCloseRequest();
}

void HostWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const auto* e = static_cast<QWindowStateChangeEvent*>(event);
        const bool was = e->oldState() & Qt::WindowMinimized;
        const bool now = windowState() & Qt::WindowMinimized;
        if (was != now && onMinimizedChanged)
            onMinimizedChanged(now);
    }
    QMainWindow::changeEvent(event);
}

void HostWindow::keyPressEvent(QKeyEvent* event) {
    if (onKey)
        onKey(event->key(), true, event->isAutoRepeat());
    const QString text = event->text();
    if (onChar && !text.isEmpty() && text.at(0).isPrint())
        onChar(text.at(0).unicode());
}

void HostWindow::keyReleaseEvent(QKeyEvent* event) {
    if (onKey)
        onKey(event->key(), false, event->isAutoRepeat());
}

void HostWindow::CreatePlaybackSlider(std::function<void(int32_t)> onMoved) {
    DestroyPlaybackSlider();
    auto* s = new QSlider(Qt::Horizontal, view_);
    s->setObjectName(QStringLiteral("PlaybackSlider"));
    s->setRange(0, 100);
    s->setPageStep(10);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(10);
    s->setValue(0);
    s->setGeometry(620, 43, 154, 20);
    s->setFocusPolicy(Qt::NoFocus);
    connect(s, &QSlider::sliderReleased, this, [s, onMoved] {
        if (onMoved)
            onMoved(s->value());
    });
    connect(s, &QSlider::actionTriggered, this, [s, onMoved](int action) {
        if (action == QAbstractSlider::SliderMove)
            return;  // reported on release
        QMetaObject::invokeMethod(
            s,
            [s, onMoved] {
                if (onMoved)
                    onMoved(s->value());
            },
            Qt::QueuedConnection);
    });
    s->show();
    slider_ = s;
}

void HostWindow::DestroyPlaybackSlider() {
    if (slider_)
        delete slider_.data();
    slider_ = nullptr;
}

QImage HostWindow::GrabWindow() {
    // The window manager draws the real frame; the capture draws its own caption strip so
    // that the picture carries the title like the window on screen.
    const QImage client = framebuffer_.Snapshot();
    QMenuBar* bar = menuBar();
    const QPixmap barPixmap = bar->grab();
    const int caption = CaptionHeight();
    const int width = client.width();
    const int height = caption + barPixmap.height() + client.height();
    QImage out(width, height, QImage::Format_RGB32);
    out.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&out);
    QLinearGradient g(0, 0, width, 0);
    g.setColorAt(0, QColor(0x0A, 0x24, 0x6A));
    g.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
    p.fillRect(0, 0, width, caption, g);
    const QPixmap icon = windowIcon().pixmap(16, 16);
    p.drawPixmap(3, (caption - 16) / 2, icon);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(24, 0, width - 28, caption), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
    p.drawPixmap(0, caption, barPixmap);
    p.drawImage(0, caption + barPixmap.height(), client);
    if (slider_) {
        const QPixmap s = slider_->grab();
        p.drawPixmap(slider_->x(), caption + barPixmap.height() + slider_->y(), s);
    }
    return out;
}

}  // namespace tarvisk
