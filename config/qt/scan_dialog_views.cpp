#include "config/qt/scan_dialog_views.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarvisk {

namespace {

QString Id(int32_t id) {
    return QStringLiteral("id%1").arg(id);
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// An edit field with its up and down arrows.
struct ArrowField {
    QLineEdit* edit = nullptr;
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;
};

ArrowField AddArrowField(QGridLayout* grid, int row, std::string_view label, int32_t editId,
                         int32_t arrowsId, QWidget* unit) {
    ArrowField f;
    grid->addWidget(new QLabel(Text(label)), row, 0);
    f.edit = new QLineEdit;
    f.edit->setObjectName(Id(editId));
    f.edit->setMaxLength(16);
    grid->addWidget(f.edit, row, 1);
    auto* arrows = new QWidget;
    arrows->setObjectName(Id(arrowsId));
    auto* box = new QVBoxLayout(arrows);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    f.up = new QToolButton;
    f.up->setArrowType(Qt::UpArrow);
    f.up->setObjectName(Id(arrowsId) + "up");
    f.down = new QToolButton;
    f.down->setArrowType(Qt::DownArrow);
    f.down->setObjectName(Id(arrowsId) + "down");
    f.up->setFixedHeight(12);
    f.down->setFixedHeight(12);
    box->addWidget(f.up);
    box->addWidget(f.down);
    grid->addWidget(arrows, row, 2);
    if (unit)
        grid->addWidget(unit, row, 3);
    return f;
}

QPushButton* Button(const char* text, int32_t id) {
    auto* b = new QPushButton(QString::fromLatin1(text));
    b->setObjectName(Id(id));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* Check(const char* text, int32_t id) {
    auto* c = new QCheckBox(QString::fromLatin1(text));
    c->setObjectName(Id(id));
    return c;
}

// Runs the dialog and deletes it, unless its owner went first.
int Finish(QPointer<QDialog>& dialog) {
    const int result = dialog->exec();
    if (dialog)
        delete dialog.data();
    return result;
}

}  // namespace

void RunAutoProfileDialogView(QWidget* owner, AutoProfileDialogModel& model,
                              SonarSettings& settings, AutoProfileRunState& run) {
    namespace ids = snapshot_ids;
    // On the heap: closing the window while the dialog is open deletes it with its owner.
    QPointer<QDialog> guard = new QDialog(owner);
    QDialog& dialog = *guard;
    dialog.setObjectName(Text(model.TemplateName()));
    dialog.setWindowTitle(Text(model.Title()));
    auto* layout = new QVBoxLayout(&dialog);
    QCheckBox* enable = Check("Auto-Profile Enable", ids::Enable);
    layout->addWidget(enable);

    auto* fields = new QGridLayout;
    auto* group = new QGroupBox(Text(model.FourthGroup()));
    auto* groupGrid = new QGridLayout(group);
    std::array<ArrowField, AutoProfileDialogModel::FieldCount> field;
    for (int32_t i = 0; i < AutoProfileDialogModel::FieldCount; ++i) {
        auto* unit = new QLabel(Text(model.UnitText()));
        unit->setObjectName(Id(ids::UnitLabel[size_t(i)]));
        field[size_t(i)] =
            AddArrowField(i < 3 ? fields : groupGrid, i < 3 ? i : 0, model.FieldLabel(i),
                          ids::Edit[size_t(i)], ids::Arrows[size_t(i)], unit);
    }
    layout->addLayout(fields);
    layout->addWidget(group);

    auto* after = new QGroupBox(QStringLiteral("After each scan..."));
    auto* afterBox = new QVBoxLayout(after);
    QCheckBox* xyz = Check("Generate ASCII file (.XYZ)", ids::GenerateXyz);
    QCheckBox* bmp = Check("Generate screen capture (.BMP)", ids::GenerateBmp);
    QCheckBox* confirm = Check("Save scan confirmation", ids::SaveConfirmation);
    confirm->setTristate(true);
    QCheckBox* prompt = Check("Prompt for another scan", ids::PromptForScan);
    for (QCheckBox* c : {xyz, bmp, confirm, prompt})
        afterBox->addWidget(c);
    layout->addWidget(after);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = Button("Ok", ids::Ok);
    QPushButton* defaults = Button("Defaults", ids::Defaults);
    QPushButton* cancel = Button("Cancel", ids::Cancel);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(defaults);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    bool showing = false;
    auto show = [&](bool texts) {
        showing = true;
        enable->setChecked(model.Enable());
        if (texts)
            for (int32_t i = 0; i < AutoProfileDialogModel::FieldCount; ++i)
                field[size_t(i)].edit->setText(QString::fromStdString(model.Text(i)));
        xyz->setChecked(model.GenerateXyz());
        bmp->setChecked(model.GenerateBmp());
        confirm->setCheckState(model.Confirmation() ? Qt::Checked : Qt::Unchecked);
        confirm->setEnabled(model.ConfirmationEnabled());
        prompt->setChecked(model.PromptForScan());
        showing = false;
    };
    for (int32_t i = 0; i < AutoProfileDialogModel::FieldCount; ++i) {
        ArrowField& f = field[size_t(i)];
        QObject::connect(f.edit, &QLineEdit::textEdited, &dialog,
                         [&model, i](const QString& t) { model.EditChanged(i, t.toStdString()); });
        QObject::connect(f.up, &QToolButton::clicked, &dialog, [&, i] {
            model.Scroll(i, true);
            field[size_t(i)].edit->setText(QString::fromStdString(model.Text(i)));
        });
        QObject::connect(f.down, &QToolButton::clicked, &dialog, [&, i] {
            model.Scroll(i, false);
            field[size_t(i)].edit->setText(QString::fromStdString(model.Text(i)));
        });
    }
    QObject::connect(enable, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing)
            model.SetEnable(on);
    });
    QObject::connect(xyz, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing) {
            model.SetGenerateXyz(on);
            show(false);
        }
    });
    QObject::connect(bmp, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing) {
            model.SetGenerateBmp(on);
            show(false);
        }
    });
    QObject::connect(confirm, &QCheckBox::clicked, &dialog, [&] {
        if (!showing) {
            model.SetConfirmation(!model.Confirmation());
            show(false);
        }
    });
    QObject::connect(prompt, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing)
            model.SetPromptForScan(on);
    });
    QObject::connect(defaults, &QPushButton::clicked, &dialog, [&] {
        model.Defaults(settings, run);
        show(true);
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        model.Ok(settings, run);
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    show(true);
    Finish(guard);
}

void RunAutoAzimuthDialogView(QWidget* owner, AutoAzimuthDialogModel& model,
                              SonarSettings& settings, AutoAzimuthRunFlags& run,
                              const std::function<void()>& closeXyz) {
    namespace ids = autoazimuth_ids;
    using F = AutoAzimuthDialogModel::Field;
    // On the heap: closing the window while the dialog is open deletes it with its owner.
    QPointer<QDialog> guard = new QDialog(owner);
    QDialog& dialog = *guard;
    dialog.setObjectName(QStringLiteral("AUTOAZIMUTH"));
    dialog.setWindowTitle(QStringLiteral("Auto-Azimuth"));
    auto* layout = new QVBoxLayout(&dialog);
    QCheckBox* enable = Check("Auto-Azimuth Enable", ids::Enable);
    layout->addWidget(enable);
    auto* grid = new QGridLayout;
    const std::array<ArrowField, 3> field{
        AddArrowField(grid, 0, "Azimuth Start:", ids::Start, ids::StartArrows,
                      new QLabel(QStringLiteral("Degrees"))),
        AddArrowField(grid, 1, "Azimuth Stop:  (CW)", ids::Stop, ids::StopArrows,
                      new QLabel(QStringLiteral("Degrees"))),
        AddArrowField(grid, 2, "Azimuth Increment:", ids::Increment, ids::IncrementArrows,
                      new QLabel(QStringLiteral("Degrees")))};
    layout->addLayout(grid);
    auto* after = new QGroupBox(QStringLiteral("After each scan..."));
    auto* afterBox = new QVBoxLayout(after);
    QCheckBox* xyz = Check("Generate ASCII file (.XYZ)", ids::GenerateXyz);
    afterBox->addWidget(xyz);
    layout->addWidget(after);
    auto* buttons = new QHBoxLayout;
    QPushButton* ok = Button("Ok", ids::Ok);
    QPushButton* defaults = Button("Defaults", ids::Defaults);
    QPushButton* cancel = Button("Cancel", ids::Cancel);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(defaults);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    bool showing = false;
    auto show = [&] {
        showing = true;
        enable->setChecked(model.Enable());
        for (int i = 0; i < 3; ++i)
            field[size_t(i)].edit->setText(QString::fromStdString(model.Text(F(i))));
        xyz->setChecked(model.GenerateXyz());
        showing = false;
    };
    for (int i = 0; i < 3; ++i) {
        const ArrowField& f = field[size_t(i)];
        QObject::connect(f.edit, &QLineEdit::textEdited, &dialog, [&model, i](const QString& t) {
            model.EditChanged(F(i), t.toStdString());
        });
        QObject::connect(f.up, &QToolButton::clicked, &dialog, [&, i] {
            model.Scroll(F(i), true);
            show();
        });
        QObject::connect(f.down, &QToolButton::clicked, &dialog, [&, i] {
            model.Scroll(F(i), false);
            show();
        });
    }
    QObject::connect(enable, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing)
            model.SetEnable(on);
    });
    QObject::connect(xyz, &QCheckBox::toggled, &dialog, [&](bool on) {
        if (!showing && model.SetGenerateXyz(on) && closeXyz)
            closeXyz();
    });
    QObject::connect(defaults, &QPushButton::clicked, &dialog, [&] {
        model.Defaults(run);
        show();
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        const auto warnings = model.Ok(settings, run);
        for (const auto& w : warnings)
            QMessageBox::warning(&dialog, QString::fromStdString(w.caption),
                                 QString::fromStdString(w.text));
        if (warnings.empty())
            dialog.accept();
        else
            show();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    show();
    Finish(guard);
}

bool RunSaveProfileDialogView(QWidget* owner) {
    // On the heap: closing the window while the dialog is open deletes it with its owner.
    QPointer<QDialog> guard = new QDialog(owner);
    QDialog& dialog = *guard;
    dialog.setObjectName(QStringLiteral("SAVEPROFILE"));
    dialog.setWindowTitle(QStringLiteral("Auto-Profile"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Save This Profile?")));
    auto* buttons = new QHBoxLayout;
    QPushButton* yes = Button("Yes", 6);
    QPushButton* no = Button("No", 7);
    yes->setDefault(true);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    layout->addLayout(buttons);
    QObject::connect(yes, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(no, &QPushButton::clicked, &dialog, &QDialog::reject);
    return Finish(guard) == QDialog::Accepted;
}

}  // namespace tarvisk
