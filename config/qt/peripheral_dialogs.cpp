#include "config/qt/peripheral_dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <string>

#include "config/azimuth_setup_model.h"
#include "config/qt/dialog_kit.h"

namespace tarvisk {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void Warn(QWidget* parent, const char* title, const std::string& text) {
    QMessageBox::warning(parent, QString::fromLatin1(title), Q(text));
}

QComboBox* HeadIdList(QWidget* parent, int32_t masterHeadId) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("headId"));
    for (int32_t i = 0; i < 16; ++i)
        list->addItem(Q(HeadIdItemText(i)));
    const auto item = HeadIdItem(masterHeadId);
    list->setCurrentIndex(item ? *item : -1);
    return list;
}

std::optional<int32_t> Selection(const QComboBox* list) {
    if (list->currentIndex() < 0)
        return std::nullopt;
    return list->currentIndex();
}

QHBoxLayout* Buttons(QDialog& dialog, QPushButton*& ok, QPushButton*& def, const char* defText) {
    auto* row = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("Ok"), &dialog);
    def = new QPushButton(QString::fromLatin1(defText), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(def);
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return row;
}

}  // namespace

bool RunAzimuthSetupDialog(QWidget* parent, int32_t& azimuthAngle) {
    AzimuthSetupModel model(azimuthAngle);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("AZIMUTHSETUP"));
    dialog.setWindowTitle(QString::fromLatin1(AzimuthSetupTitle));
    auto* grid = new QGridLayout(&dialog);
    auto* field = new QLineEdit(Q(model.Text()), &dialog);
    field->setObjectName(QStringLiteral("angle"));
    field->setMaxLength(6);
    auto* up = new QToolButton(&dialog);
    auto* down = new QToolButton(&dialog);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(up);
    spin->addWidget(down);
    grid->addWidget(new QLabel(QStringLiteral("Azimuth Angle:"), &dialog), 0, 0);
    grid->addWidget(field, 0, 1);
    grid->addLayout(spin, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Degrees"), &dialog), 0, 3);
    QPushButton *ok = nullptr, *def = nullptr;
    grid->addLayout(Buttons(dialog, ok, def, "Default"), 1, 0, 1, 4);
    auto show = [&] { field->setText(Q(model.Text())); };
    QObject::connect(up, &QToolButton::clicked, &dialog, [&] {
        model.SpinUp();
        show();
    });
    QObject::connect(down, &QToolButton::clicked, &dialog, [&] {
        model.SpinDown();
        show();
    });
    QObject::connect(def, &QPushButton::clicked, &dialog, [&] {
        model.Default();
        show();
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        std::string warning;
        if (model.Ok(field->text().toStdString(), &warning)) {
            dialog.accept();
        } else {
            Warn(&dialog, AzimuthSetupWarningTitle, warning);
            show();
        }
    });
    PlaceDialogOverImage(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    azimuthAngle = model.Steps();
    return true;
}

bool RunSetNewHeadIdDialog(QWidget* parent, int32_t masterHeadId, HeadIdChoice& out) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SETNEWHEADID"));
    dialog.setWindowTitle(QString::fromLatin1(SetNewHeadIdTitle));
    auto* grid = new QGridLayout(&dialog);
    QComboBox* list = HeadIdList(&dialog, masterHeadId);
    grid->addWidget(new QLabel(QStringLiteral("Head ID:"), &dialog), 0, 0);
    grid->addWidget(list, 0, 1);
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("Ok"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    grid->addLayout(row, 1, 0, 1, 2);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    PlaceDialogOverImage(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    out = ChooseNewHeadId(Selection(list));
    return true;
}

bool RunProgramHeadDialog(QWidget* parent, int32_t masterHeadId, int32_t serialNumber,
                          int32_t depthRating, ProgramHeadChoice& out) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PROGRAMHEAD"));
    dialog.setWindowTitle(QString::fromLatin1(ProgramHeadTitle));
    auto* grid = new QGridLayout(&dialog);
    QComboBox* list = HeadIdList(&dialog, masterHeadId);
    auto* serial = new QLineEdit(Q(SerialNumberText(serialNumber)), &dialog);
    serial->setObjectName(QStringLiteral("serial"));
    auto* depth = new QComboBox(&dialog);
    depth->setObjectName(QStringLiteral("depth"));
    depth->addItem(QString::fromLatin1(DepthRatingNames[0]));
    depth->addItem(QString::fromLatin1(DepthRatingNames[1]));
    depth->setCurrentIndex(depthRating == 0 || depthRating == 1 ? depthRating : -1);
    grid->addWidget(new QLabel(QStringLiteral("Head ID:"), &dialog), 0, 0);
    grid->addWidget(list, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Serial Number:"), &dialog), 1, 0);
    grid->addWidget(serial, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Depth Rating:"), &dialog), 2, 0);
    grid->addWidget(depth, 2, 1);
    QPushButton *ok = nullptr, *def = nullptr;
    grid->addLayout(Buttons(dialog, ok, def, "Default"), 3, 0, 1, 2);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        std::string warning;
        const std::optional<int32_t> depthItem =
            depth->currentIndex() < 0 ? std::nullopt
                                      : std::optional<int32_t>(depth->currentIndex());
        if (ChooseProgramHead(Selection(list), serial->text().toStdString(), depthItem, out,
                              &warning)) {
            dialog.accept();
        } else {
            Warn(&dialog, ProgramHeadTitle, warning);
            serial->setText(Q(SerialNumberText(serialNumber)));
        }
    });
    PlaceDialogOverImage(dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tarvisk
