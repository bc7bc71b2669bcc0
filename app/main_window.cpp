#include "app/main_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QStyle>
#include <QThread>
#include <algorithm>

#include "app/image_mouse_host.h"
#include "app/panel_input_view.h"
#include "head/link_status.h"
#include "platform/qt/window_thread.h"
#include "ui/menu_state.h"
#include "ui/panel_input.h"
#include "ui/window_close.h"

namespace tarvisk {

PanelMetrics MeasurePanelMetrics() {
    PanelMetrics m;
    Framebuffer probe({8, 8});
    const Size x = probe.TextExtent("X", TextFont::Default);
    const Size sx = probe.TextExtent("X", TextFont::System);
    m.CharWidth = x.width;
    m.LineHeight = x.height;
    m.SystemCharWidth = sx.width;
    m.SystemLineHeight = sx.height;
    QStyle* style = QApplication::style();
    const int arrow = style ? style->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    m.ArrowWidth = m.ArrowHeight = arrow;
    const int box = style ? style->pixelMetric(QStyle::PM_IndicatorWidth) : 13;
    m.CheckBoxWidth = m.CheckBoxHeight = box;
    return FitPanelMetrics(m);
}

MainWindow::MainWindow(SonarSystem& system, LiveLink& link)
    : system_(system),
      settings_(system.settings),
      link_(link),
      menu_(TarviskMenuBar()),
      layout_(ComputePanelLayout(MeasurePanelMetrics())) {
    framebuffer_ = std::make_unique<Framebuffer>(layout_.client);
    framebuffer_->SetPalette(ToPaletteTable(system_.palette.Colours()));
    host_ = std::make_unique<HostWindow>(*framebuffer_, menu_);
    host_->setWindowTitle(QString::fromLatin1(WindowTitle.data(), WindowTitle.size()));
    panel_ = std::make_unique<StatusPanel>(settings_, *framebuffer_, layout_, system_.link.Shot,
                                           system_.image, system_.imaging);
    system_.drawing.SetView(this);
    mouse_ = std::make_unique<ImageMouse>(settings_, input, system_.image, *panel_, *framebuffer_);
    ConnectImageMouse(*mouse_, *host_);
    mouse_->heading = [this] {
        return settings_.EnableOrientationModule ? system_.orientation.FilteredHeading.Get() : 0.0f;
    };

    panelInputView_ = std::make_unique<PanelInputView>(*this);
    panelInput_ = std::make_unique<PanelInput>(settings_, input, system_.imaging, menu_,
                                               panel_->Layout(), *panelInputView_);
    panelInputView_->onRepeat = [this] { panelInput_->RepeatTick(); };
    panel_->WatchGridLabelBlockers(&system_.link.AzimuthExchangePending);
    drawing_ = std::make_unique<WindowDrawing>(system_, link_, *panel_, *framebuffer_, *this);
    const WindowContext window{system_, link_, menu_, *panel_, *this, *drawing_, *this};
    commands_ = std::make_unique<MenuCommands>(window);
    modeSwitch_ = std::make_unique<ModeSwitch>(window, *mouse_, *panelInput_);

    ApplyMenuStateFromSettings(menu_, settings_);
    panelInput_->ApplyModeMenuState();
    ProbePorts(settings_, system_.ports.paths, system_.portAvailability);

    host_->onCommand = [this](int32_t id) { OnCommand(id); };
    host_->onKey = [this](int key, bool down, bool autoRepeat) {
        // X11 sends a release before every repeated press of a held key; only the real
        // release ends the pointer's acceleration.
        if (!down && autoRepeat)
            return;
        KeyEvent(key, down);
    };
    host_->onChar = [this](char32_t c) { panelInput_->Char(c); };
    // The mode readout keeps the profile grid's items in step with the mode, also when a
    // played record changes it.
    panel_->onModeReadout = [this] {
        PostToWindowThread(host_.get(), [this] { panelInput_->ApplyModeMenuState(); });
    };
    host_->beforeFrame = [this] { FlushPendingDrawing(); };
    // A copy of the whole picture on the window thread (the measurement line's, a new colour
    // table's) makes a waiting part obsolete: drawn later, it would wipe what came after.
    panel_->onWholeImageCopied = [this] { changes_.ImageCopied(); };
    framebuffer_->beforeRead = [this] { host_->FlushFrame(); };
    host_->onCloseRequest = [this] { Close(); };
    host_->onMinimizedChanged = [this](bool m) { OnMinimizedChanged(m); };
    host_->onMouse() = [this](MouseEventKind kind, Point p) { MouseEvent(kind, p); };
}

MainWindow::~MainWindow() {
    framebuffer_->beforeRead = nullptr;
    host_->beforeFrame = nullptr;
    panel_->onModeReadout = nullptr;
    panel_->onWholeImageCopied = nullptr;
    system_.drawing.SetView(nullptr);
    link_.Stop();
}

void MainWindow::Show() {
    drawing_->ApplyColourTable();
    drawing_->ClearImageAndHistory();
    host_->show();
    panel_->PaintAll();
}

void MainWindow::Warn(const std::string& title, const std::string& text) {
    WarnOperator(*host_, scripted, title, text);
}

void MainWindow::ShowAbout(std::string_view title, std::string_view text) {
    QMessageBox::about(host_.get(), QString::fromUtf8(title.data(), qsizetype(title.size())),
                       QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void MainWindow::Close() {
    if (closed_)
        return;
    closed_ = true;
    StopAndSaveOnClose(system_, link_, *this, *host_);
    system_.drawing.SetView(nullptr);
    host_->Destroy();
}

void MainWindow::MouseEvent(MouseEventKind kind, Point p) {
    mouse_->OnMouse(kind, p);
    switch (kind) {
        case MouseEventKind::LeftDown:
            host_->setFocus();
            panelInput_->LeftDown(p);
            break;
        case MouseEventKind::LeftUp:
            panelInput_->LeftUp();
            break;
        case MouseEventKind::Move:
            panelInput_->Move(p);
            break;
        case MouseEventKind::RightDown:
            host_->setFocus();
            break;
    }
}

void MainWindow::KeyEvent(int key, bool down) {
    if (!down) {
        panelInput_->KeyUp();
        return;
    }
    switch (key) {
        case Qt::Key_Left:
            panelInput_->KeyDown(InputKey::Left);
            break;
        case Qt::Key_Right:
            panelInput_->KeyDown(InputKey::Right);
            break;
        case Qt::Key_Up:
            panelInput_->KeyDown(InputKey::Up);
            break;
        case Qt::Key_Down:
            panelInput_->KeyDown(InputKey::Down);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            panelInput_->KeyDown(InputKey::Other);
            panelInput_->Char('\r');
            break;
        case Qt::Key_Escape:
            panelInput_->KeyDown(InputKey::Other);
            panelInput_->Char(0x1b);
            break;
        default:
            panelInput_->KeyDown(InputKey::Other);
            break;
    }
}

namespace {
// Set while this thread processes a shot (the acquisition thread live, the window thread in
// playback): the shot's changes then wake the window once, not once each.
thread_local bool processingShot = false;
}  // namespace

void MainWindow::FrameWanted() {
    if (!processingShot)
        host_->RequestFrame();
}

void MainWindow::ShotStarted() {
    processingShot = true;
}

void MainWindow::ShotFinished() {
    processingShot = false;
    host_->RequestFrame();
}

void MainWindow::CopyImageToWindow(const ImageRect& changed) {
    changes_.ImageChanged(changed);
    FrameWanted();
}

void MainWindow::CopyImagePartsToWindow(const ImageParts& parts) {
    changes_.ImagePartsChanged(parts);
    FrameWanted();
}

void MainWindow::AdvanceActivityBlinker(bool replyArrived) {
    changes_.ActivityToggled(replyArrived);
    FrameWanted();
    const int64_t n = ++shots_;
    parts.ForEach([n](WindowPart& part) { part.OnShot(n); });
}

void MainWindow::ClearActivityMark() {
    changes_.ActivityCleared();
    FrameWanted();
}

void MainWindow::DrawDialMarkers() {
    // The bearing is read here, on the thread that owns the shot.
    changes_.DialMoved(system_.link.Shot.HeadAngleDegrees);
    FrameWanted();
}

void MainWindow::ClearStatusMessage() {
    changes_.StatusBox("", PanelDarkGrey, PanelDarkGrey, PanelDarkGrey);
    FrameWanted();
}

void MainWindow::DrawGridLabel() {
    changes_.GridLabelChanged();
    FrameWanted();
}

void MainWindow::RefreshMagnifier() {
    changes_.MagnifierChanged();
    FrameWanted();
}

void MainWindow::RedrawAfterShot() {
    changes_.MeasureLineChanged();
    FrameWanted();
}

void MainWindow::RefreshReadouts() {
    changes_.MeasureReadoutsChanged();
    FrameWanted();
}

void MainWindow::ShowDateTime(std::string_view text) {
    changes_.DateTime(text);
    FrameWanted();
}

void MainWindow::FlushPendingDrawing() {
    const WindowChangeSet c = changes_.Take();
    if (c.Empty())
        return;
    if (c.activityCleared)
        panel_->ClearActivityMark();
    // Two toggles leave the blinker where it was, drawn with the last reply's state.
    for (int32_t i = 0; i < (c.activityToggles == 0 ? 0 : 2 - c.activityToggles % 2); ++i)
        panel_->ToggleActivityMark(c.activityShown);
    if (c.image)
        for (const Rect& part : c.imageParts)
            panel_->CopyImageToWindow(ImageRectOf(part));
    // The line and the magnifier go over the picture just copied.
    if (c.measureLine)
        mouse_->RedrawAfterShot();
    if (c.measureReadouts)
        mouse_->RefreshReadouts();
    // A shot drawn elsewhere in the picture leaves the magnifier's source as it was, and
    // stretching it again would give the same pixels.
    const bool magnifierSourceMoved =
        !c.image ||
        std::any_of(c.imageParts.begin(), c.imageParts.end(),
                    [&](const Rect& part) { return panel_->MagnifierSees(ImageRectOf(part)); }) ||
        c.measureLine || c.measureReadouts || c.gridLabel;
    if (c.magnifier && magnifierSourceMoved && !mouse_->MagnifierHeld())
        panel_->RefreshMagnifier();
    if (c.dial)
        panel_->DrawDialMarkers(c.bearingDegrees);
    if (c.shotReadouts)
        panel_->PlaybackRefresh();
    if (c.statusBox)
        panel_->DrawStatusBox(c.status.text.data(), c.status.textColour, c.status.fill,
                              c.status.frame);
    if (c.gridLabel)
        panel_->DrawGridLabel();
    if (c.dateTime)
        panel_->DrawDateTime(c.dateTimeText.data());
}

void MainWindow::ShowLinkStatus(PaletteColour text, PaletteColour fill, PaletteColour frame,
                                int32_t selector) {
    LinkStatusFacts facts = GatherLinkStatusFacts(system_.link, settings_, selector);
    parts.ForEach([&facts](WindowPart& part) { part.AddLinkStatusFacts(facts); });
    const LinkStatusBox box = ChooseLinkStatus(facts, {text, fill, frame});
    changes_.StatusBox(box.text, box.colours.text, box.colours.fill, box.colours.frame);
    FrameWanted();
}

WindowPicture MainWindow::GrabWholeWindow() {
    WindowPicture picture;
    auto grab = [&] {
        // Everything recorded so far first, so the magnifier copies the picture as it is.
        host_->FlushFrame();
        if (settings_.PixelZoom == 1)
            panel_->RefreshMagnifier();
        const QImage image = host_->GrabWindow().convertToFormat(QImage::Format_RGB32);
        picture.width = image.width();
        picture.height = image.height();
        picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)] = row[x] & 0xFFFFFFu;
        }
    };
    RunOnWindowThread(host_.get(), grab);
    return picture;
}

}  // namespace tarvisk

namespace tarvisk {

void MainWindow::RefreshShotReadouts() {
    // In playback the refresh also applies a played range before the shot is drawn: it runs
    // at once there (the window thread plays); live it only follows the transducer.
    if (QThread::currentThread() == host_->thread()) {
        panel_->PlaybackRefresh();
        return;
    }
    changes_.ShotReadoutsChanged();
    FrameWanted();
}

}  // namespace tarvisk
