#include "platform/qt/host_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>
#include <QThread>
#include <QWindowStateChangeEvent>

#include "platform/qt/child_window.h"
#include "platform/qt/window_thread.h"

namespace tarvisk {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The dialog's filter plus "All files". A desktop's own dialog matches patterns with their
// letter case, and files made elsewhere are often called .ksd or .bmp, so every pattern is
// offered in lower case as well.
QString DialogFilter(const FileDialogParams& r) {
    QString filter = Q(r.filterName);
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open) {
        QStringList patterns =
            filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& p : QStringList(patterns)) {
            if (!patterns.contains(p.toLower()))
                patterns.append(p.toLower());
        }
        filter = filter.left(open + 1) + patterns.join(QLatin1Char(' ')) + filter.mid(close);
    }
    return filter + QStringLiteral(";;All files (*)");
}

// The name the file gets: the default extension is added when the name has none, as Qt adds
// it to what a desktop's dialog returns.
QString WithDefaultSuffix(const QString& path, const QString& suffix) {
    if (suffix.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}

bool ConfirmReplace(QWidget* parent, const QString& title, const QString& path) {
    const QString text = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                             .arg(QFileInfo(path).fileName());
    return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

struct ChildSpec {
    const char* title;
    QPoint clientPosition;  // each window sizes itself to its contents
};
constexpr std::array<ChildSpec, ChildWindowCount> ChildSpecs{{
    {"Diagnostics", QPoint(10, 10)},
    {"Scan For Connected Heads", QPoint(10, 10)},
    {"Azimuth", QPoint(450, 405)},
    {"Orientation", QPoint(10, 405)},
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
    // Only the exposed rectangles are copied, straight from the framebuffer under its lock;
    // their bounding box may span the window. Each is clipped to itself: under a clip of
    // several rectangles Qt blends through its thread pool, a handful of thread hand-offs a
    // frame.
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        painter.setClipRect(area);
        framebuffer_.PaintArea(painter, area);
    }
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
    InstallWindowThreadQueue();
    view_ = new FramebufferView(framebuffer, this);
    setCentralWidget(view_);
    view_->SetImageCursor(QCursor(QPixmap(QStringLiteral(":/tarvisk/newcur.png")), 16, 16));
    setWindowIcon(QIcon(QStringLiteral(":/tarvisk/tarvisk.png")));
    BuildMenus(menuBar(), menu.Bar(), true);
    menu_.onChange = [this](int32_t id) { UpdateAction(id); };
    for (size_t i = 0; i < ChildSpecs.size(); ++i) {
        // Child windows of the client area: they move with the main window and get no frame
        // of their own from a window manager.
        auto* child = new ChildWindow(QString::fromLatin1(ChildSpecs[i].title), view_);
        child->move(ChildSpecs[i].clientPosition);
        child->hide();
        children_[i] = child;
    }
    setFocusPolicy(Qt::StrongFocus);
    // Repaints are coalesced: drawing only marks its area, one frame shows them all.
    framebuffer_.onRepaint = [this](const Rect&) { scheduler_.Notify(); };
    scheduler_.onFlush = [this] {
        if (beforeFrame)
            beforeFrame();
        // Painted at once: the frame is already coalesced, and a posted update would cost
        // the window thread another wake-up.
        QRegion changed;
        for (const Rect& r : framebuffer_.TakeDirty())
            changed += QRect(r.left, r.top, r.Width(), r.Height());
        if (!changed.isEmpty())
            view_->repaint(changed);
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
    RunOnWindowThread(const_cast<HostWindow*>(this), [&f] { f(); });
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
        const QString suffix = Q(r.defaultExtension);
        QString proposed = Q(r.proposedName);
        for (;;) {
            QFileDialog dialog(this, Q(r.title), proposed, DialogFilter(r));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(suffix);
            // A desktop's own dialog asks about the name as typed, before the extension is
            // added, so the question is asked here about the file that would be replaced.
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return;
            const QString path = WithDefaultSuffix(dialog.selectedFiles().first(), suffix);
            if (!QFileInfo::exists(path) || ConfirmReplace(this, Q(r.title), path)) {
                result = path.toStdString();
                return;
            }
            proposed = path;  // "No": choose again, starting from the same name
        }
    });
    if (!result.empty() && onFileChosen)
        onFileChosen(result);
    return result;
}

std::string HostWindow::AskOpenFileName(const FileDialogParams& r) {
    std::string result;
    OnUiThread([&] {
        QFileDialog dialog(this, Q(r.title), Q(r.proposedName), DialogFilter(r));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            result = dialog.selectedFiles().first().toStdString();
    });
    if (!result.empty() && onFileChosen)
        onFileChosen(result);
    return result;
}

void HostWindow::ShowChild(ChildWindowId id) {
    OnUiThread([this, id] {
        QWidget* child = children_[static_cast<size_t>(id)];
        child->show();
        child->raise();
    });
}

void HostWindow::HideChild(ChildWindowId id) {
    OnUiThread([this, id] { children_[static_cast<size_t>(id)]->hide(); });
}

bool HostWindow::IsChildShown(ChildWindowId id) const {
    // Shown by the program, whether or not the main window is on screen yet.
    return !children_[static_cast<size_t>(id)]->isHidden();
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
    // The slider and the open child windows lie over the client area, as on screen.
    const int clientTop = caption + barPixmap.height();
    for (QWidget* w : view_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isHidden())
            p.drawPixmap(w->x(), clientTop + w->y(), w->grab());
    }
    return out;
}

}  // namespace tarvisk
