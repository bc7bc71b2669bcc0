// The scan dialogs as an operator uses them: clicks and typing through Qt's event system.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "config/qt/scan_dialog_views.h"
#include "tests/gui/gui_support.h"

namespace tarvisk {
namespace {

template <typename T>
T* Control(QWidget* dialog, int id, const char* suffix = "") {
    T* w = dialog->findChild<T*>(QStringLiteral("id%1%2").arg(id).arg(QLatin1String(suffix)));
    EXPECT_NE(w, nullptr) << "control " << id << suffix;
    return w;
}

// On the box itself: a wide check box only takes clicks on its box and label.
void Tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// Runs the operator's steps once the next modal dialog is up.
void WhenModal(std::function<void(QWidget*)> steps) {
    QTimer::singleShot(0, [steps] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        steps(dialog);
    });
}

TEST(ScanDialogViews, VerticalScanDialog) {
    testing::App();
    SonarSettings s;
    s.Units = 1;
    s.ProfileChainage = 12.0f;
    SharedInt running{0};
    AutoProfileRunState run{running};
    AutoProfileDialogModel model(ScanKind::Vertical);
    model.Open(s, run);
    bool confirmEnabled = true;
    QString unit;
    WhenModal([&](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "Auto-Profile (Vertical Scan)");
        unit = Control<QLabel>(d, 401)->text();
        Tick(Control<QCheckBox>(d, 10));
        QLineEdit* chainage = Control<QLineEdit>(d, 100);
        EXPECT_EQ(chainage->text(), " 12.00");
        QTest::mouseClick(Control<QToolButton>(d, 1000, "up"), Qt::LeftButton);
        EXPECT_EQ(chainage->text(), " 12.10");
        QLineEdit* depth = Control<QLineEdit>(d, 400);
        depth->selectAll();
        QTest::keyClicks(depth, "3.5");
        Tick(Control<QCheckBox>(d, 500));
        Tick(Control<QCheckBox>(d, 501));
        confirmEnabled = Control<QCheckBox>(d, 502)->isEnabled();
        QTest::mouseClick(Control<QPushButton>(d, 1), Qt::LeftButton);
    });
    RunAutoProfileDialogView(nullptr, model, s, run);
    EXPECT_EQ(unit, "Feet");
    EXPECT_FALSE(confirmEnabled);
    EXPECT_EQ(running, 1);
    EXPECT_FLOAT_EQ(s.ProfileChainage, 12.1f);
    EXPECT_FLOAT_EQ(s.ProfileDredgeDepth, 3.5f);
    EXPECT_EQ(s.AutoProfileXYZ, 0);
    EXPECT_EQ(s.AutoProfileBMP, 0);
    EXPECT_EQ(s.AutoProfileSaveConfirmation, 0);
}

TEST(ScanDialogViews, CancelKeepsEverythingButDefaultsActsAtOnce) {
    testing::App();
    SonarSettings s;
    s.AutoProfilePromptForScan = 0;
    s.ProfileElevation = -2.0f;
    SharedInt running{1};
    AutoProfileRunState run{running, 0.5f};
    AutoProfileDialogModel model(ScanKind::Horizontal);
    model.Open(s, run);
    QString elevation;
    WhenModal([&](QWidget* d) {
        EXPECT_EQ(d->objectName(), "SNAPSHOT2");
        elevation = Control<QLineEdit>(d, 200)->text();
        QTest::mouseClick(Control<QPushButton>(d, 20), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(d, 2), Qt::LeftButton);
    });
    RunAutoProfileDialogView(nullptr, model, s, run);
    EXPECT_EQ(elevation, " -2.50");
    EXPECT_EQ(running, 0);
    EXPECT_EQ(s.AutoProfilePromptForScan, 1);
    EXPECT_FLOAT_EQ(s.ProfileElevation, -2.0f);
}

TEST(ScanDialogViews, AzimuthDialogWarnsAndStaysOpen) {
    testing::App();
    SonarSettings s;
    SharedInt on{0}, running{0};
    AutoAzimuthRunFlags run{on, running};
    AutoAzimuthDialogModel model;
    model.Open(s, run);
    QString warning;
    bool stillOpen = false;
    int closes = 0;
    WhenModal([&](QWidget* d) {
        QLineEdit* start = Control<QLineEdit>(d, 100);
        start->selectAll();
        QTest::keyClicks(start, "359.8");
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            warning = box->text();
            box->accept();
        });
        QTest::mouseClick(Control<QPushButton>(d, 1), Qt::LeftButton);
        stillOpen = d->isVisible();
        EXPECT_EQ(start->text(), "  0.0");
        QTest::mouseClick(Control<QToolButton>(d, 3000, "down"), Qt::LeftButton);
        EXPECT_EQ(Control<QLineEdit>(d, 300)->text(), " 29.7");
        Tick(Control<QCheckBox>(d, 500));
        Tick(Control<QCheckBox>(d, 10));
        QTest::mouseClick(Control<QPushButton>(d, 1), Qt::LeftButton);
    });
    RunAutoAzimuthDialogView(nullptr, model, s, run, [&] { ++closes; });
    EXPECT_EQ(warning, "Start Angle is out of range!\nUse 0 to 359.7 Degrees.");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(model.Accepted());
    EXPECT_EQ(s.AutoAzimuthIncAngle, 99);
    EXPECT_EQ(s.AutoAzimuthXYZ, 0);
    EXPECT_EQ(on, 1);
}

TEST(ScanDialogViews, SaveProfileQuestion) {
    testing::App();
    WhenModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "Auto-Profile");
        QTest::mouseClick(Control<QPushButton>(d, 7), Qt::LeftButton);
    });
    EXPECT_FALSE(RunSaveProfileDialogView(nullptr));
    WhenModal([](QWidget* d) { QTest::mouseClick(Control<QPushButton>(d, 6), Qt::LeftButton); });
    EXPECT_TRUE(RunSaveProfileDialogView(nullptr));
}

}  // namespace
}  // namespace tarvisk
