// The four child windows as an operator meets them: inside the main window's client area,
// with their own caption, dragged and closed there, in the screen capture, and their buttons.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "platform/qt/child_window.h"
#include "tests/config_gui/dialog_driver.h"
#include "tests/gui/gui_support.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

using testing::Pixel;
using testing::ScratchDir;
using testing::StartProgram;

// The left end of the caption's active blue.
bool CaptionBlue(QRgb c) {
    return qRed(c) < 0x20 && qGreen(c) < 0x40 && qBlue(c) > 0x60;
}

constexpr ChildWindowId AllChildren[] = {ChildWindowId::Diagnostics, ChildWindowId::HeadScan,
                                         ChildWindowId::Azimuth, ChildWindowId::Orientation};

TEST(ChildWindows, LiveInsideTheClientAreaWithTheirOwnCaption) {
    auto program = StartProgram(ScratchDir("child_inside"), "AzimuthDriveEnable=1\n");
    ASSERT_TRUE(program);
    HostWindow& host = program->Window().Host();
    for (ChildWindowId id : AllChildren) {
        QWidget* child = host.ChildWidget(id);
        SCOPED_TRACE(child->windowTitle().toStdString());
        // Not a window of its own: no window manager frame, and it moves with the main window.
        EXPECT_FALSE(child->isWindow());
        EXPECT_EQ(child->parentWidget(), host.View());
        host.ShowChild(id);
        EXPECT_TRUE(host.IsChildShown(id));
        EXPECT_TRUE(host.View()->rect().contains(child->geometry()));
        // Its caption: the active-caption blue at the left, the close box at the right.
        const QImage shot = child->grab().toImage();
        EXPECT_TRUE(CaptionBlue(Pixel(shot, 2, 5)));
        const QRect box = static_cast<ChildWindow*>(child)->CloseBox();
        EXPECT_EQ(Pixel(shot, box.left() + 1, box.top() + 1), 0xD4D0C8u);
        host.HideChild(id);
        EXPECT_FALSE(host.IsChildShown(id));
    }
    EXPECT_EQ(host.ChildWidget(ChildWindowId::Orientation)->pos(), QPoint(10, 405));
    EXPECT_EQ(host.ChildWidget(ChildWindowId::Azimuth)->pos(), QPoint(450, 405));
    program->Quit();
}

TEST(ChildWindows, CaptionDragsTheWindowAndTheCloseBoxClosesIt) {
    auto program = StartProgram(ScratchDir("child_drag"), "");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    HostWindow& host = w.Host();
    SonarSettings& s = program->System().settings;
    w.OnCommand(IdOrientationModule);
    ASSERT_EQ(s.EnableOrientationModule, 1);
    auto* child = static_cast<ChildWindow*>(host.ChildWidget(ChildWindowId::Orientation));
    ASSERT_TRUE(host.IsChildShown(ChildWindowId::Orientation));

    const QPoint grip(30, 8);
    QTest::mousePress(child, Qt::LeftButton, {}, grip);
    QTest::mouseMove(child, grip + QPoint(40, -100));
    QTest::mouseRelease(child, Qt::LeftButton, {}, grip + QPoint(40, -100));
    EXPECT_EQ(child->pos(), QPoint(50, 305));
    // Dragged far off, it stops at the edge of the client area.
    QTest::mousePress(child, Qt::LeftButton, {}, grip);
    QTest::mouseMove(child, grip + QPoint(-500, -900));
    QTest::mouseRelease(child, Qt::LeftButton, {}, grip + QPoint(-500, -900));
    EXPECT_EQ(child->pos(), QPoint(0, 0));

    // A click on the box closes it as the operator's close does: the module goes off.
    QTest::mouseClick(child, Qt::LeftButton, {}, child->CloseBox().center());
    EXPECT_FALSE(host.IsChildShown(ChildWindowId::Orientation));
    EXPECT_EQ(s.EnableOrientationModule, 0);
    EXPECT_EQ(w.Menu().Text(IdOrientationModule), "Enable &Orientation Module");
    program->Quit();
}

TEST(ChildWindows, ScreenCaptureShowsAnOpenChildWindow) {
    auto program = StartProgram(ScratchDir("child_capture"), "");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    w.OnCommand(IdDiagnostics);
    QApplication::processEvents();
    const QImage capture = w.Host().GrabWindow();
    const QImage client = w.Surface().Snapshot();
    const int top = capture.height() - client.height();
    const QPoint at = w.Host().ChildWidget(ChildWindowId::Diagnostics)->pos();
    EXPECT_TRUE(CaptionBlue(Pixel(capture, at.x() + 2, top + at.y() + 5)));
    // Beside it, the client area as drawn.
    const QPoint beside(at.x() + w.Host().ChildWidget(ChildWindowId::Diagnostics)->width() + 3,
                        at.y() + 5);
    EXPECT_EQ(Pixel(capture, beside.x(), top + beside.y()), Pixel(client, beside.x(), beside.y()));
    program->Quit();
}

// Heads > "Change Azimuth..." brings up the window; only the window's button opens the dialog.
TEST(ChildWindows, ChangeAzimuthMenuOnlyShowsTheWindow) {
    auto program =
        StartProgram(ScratchDir("child_azimuth"), "AzimuthDriveEnable=1\nAzimuthWindow=0\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    w.scripted = false;
    ASSERT_FALSE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    QString opened;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
        }
    });
    poll.start(5);
    w.OnCommand(IdChangeAzimuth);
    testing::Pump([] { return false; }, 100);
    poll.stop();
    EXPECT_TRUE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    EXPECT_EQ(program->System().settings.AzimuthWindow, 1);
    EXPECT_TRUE(opened.isEmpty()) << opened.toStdString();
    program->Quit();
}

TEST(ChildWindows, HeadScanButtonStaysPressedWhileItsDialogIsOpen) {
    auto program = StartProgram(ScratchDir("child_scan_buttons"), "");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    HostWindow& host = w.Host();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    w.OnCommand(IdHeadScan);
    QWidget* scan = host.ChildWidget(ChildWindowId::HeadScan);
    for (const char* text : {"Change Head ID", "Program Head"}) {
        SCOPED_TRACE(text);
        QPushButton* button = nullptr;
        for (QPushButton* b : scan->findChildren<QPushButton*>())
            if (b->text() == text)
                button = b;
        ASSERT_NE(button, nullptr);
        bool downWhileOpen = false;
        const char* dialog =
            std::string_view(text) == "Program Head" ? "PROGRAMHEAD" : "SETNEWHEADID";
        testing::RunModal(
            dialog, [&] { QTest::mouseClick(button, Qt::LeftButton); },
            [&](QDialog&) {
                QApplication::processEvents();
                downWhileOpen = button->isDown();
            });
        EXPECT_TRUE(downWhileOpen);
        EXPECT_FALSE(button->isDown());
    }
    w.OnCommand(IdHeadScan);
    program->Quit();
}

}  // namespace
}  // namespace tarvisk
