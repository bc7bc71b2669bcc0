#include "config/qt/setup_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/user_text_model.h"
#include "platform/serial_devices.h"
#include "tarvisk_version.h"

namespace tarvisk {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Field with arrows, label before and units after, in one row of a grid.
SpinField* AddSpinRow(QGridLayout* grid, int row, const char* label, int field, int spin,
                      QLabel* units, QWidget* parent) {
    grid->addWidget(new QLabel(QString::fromUtf8(label), parent), row, 0);
    auto* f = new SpinField(field, spin, parent);
    grid->addWidget(f, row, 1);
    if (units)
        grid->addWidget(units, row, 2);
    return f;
}

QHBoxLayout* OkDefaultCancel(QDialog* dialog, int defaultId, const char* defaultText,
                             QPushButton** ok, QPushButton** defaults) {
    auto* row = new QHBoxLayout;
    *ok = NamedButton("Ok", 1, dialog);
    *defaults = NamedButton(defaultText, defaultId, dialog);
    auto* cancel = NamedButton("Cancel", 2, dialog);
    (*ok)->setDefault(true);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addWidget(*ok);
    row->addWidget(*defaults);
    row->addWidget(cancel);
    return row;
}

// A dialog of one spin field with "Ok", "Default" and "Cancel": the field shows the model's
// text, edits and arrows go to the model, and "Ok" closes only when the model takes the value.
template <typename Model>
void BindOneValueDialog(QDialog& dialog, SpinField& field, QPushButton& ok, QPushButton& defaults,
                        Model& model) {
    field.SetText(model.Text());
    field.onEdited = [&model](const std::string& t) { model.SetText(t); };
    field.onSpin = [&model, &field](bool up) {
        model.Spin(up);
        field.SetText(model.Text());
    };
    QObject::connect(&defaults, &QPushButton::clicked, &dialog, [&model, &field] {
        model.Default();
        field.SetText(model.Text());
    });
    QObject::connect(&ok, &QPushButton::clicked, &dialog, [&dialog, &model, &field] {
        const DialogMessages messages = model.Ok();
        field.SetText(model.Text());
        if (ShowDialogMessages(&dialog, messages))
            dialog.accept();
    });
}

}  // namespace

SoundVelocityDialog::SoundVelocityDialog(SonarSettings& settings, QWidget* parent)
    : QDialog(parent), model_(settings) {
    setObjectName(QStringLiteral("SOUNDVELOCITY"));
    setWindowTitle(QStringLiteral("Sound Velocity"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* units = new QLabel(Q(model_.UnitsLabel()), this);
    units->setObjectName(QStringLiteral("150"));
    SpinField* field = AddSpinRow(grid, 0, "Speed of Sound:", 100, 1000, units, this);
    field->Edit()->setMaxLength(6);
    layout->addLayout(grid);
    QPushButton *ok, *defaults;
    layout->addLayout(OkDefaultCancel(this, 200, "Default", &ok, &defaults));
    BindOneValueDialog(*this, *field, *ok, *defaults, model_);
}

RotateImageDialog::RotateImageDialog(SonarSettings& settings, QWidget* parent)
    : QDialog(parent), model_(settings) {
    setObjectName(QStringLiteral("OFFSETANGLE"));
    setWindowTitle(QStringLiteral("Rotate Sonar Image"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    SpinField* field = AddSpinRow(grid, 0, "Rotate Angle:", 100, 1000,
                                  new QLabel(QStringLiteral("Deg"), this), this);
    field->Edit()->setMaxLength(5);
    layout->addLayout(grid);
    QPushButton *ok, *defaults;
    layout->addLayout(OkDefaultCancel(this, 200, "Default", &ok, &defaults));
    BindOneValueDialog(*this, *field, *ok, *defaults, model_);
}

UserTextDialog::UserTextDialog(SonarSettings& settings, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("USERTEXT"));
    setWindowTitle(QStringLiteral("User Text"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Enter Text:"), this));
    auto* field = new QLineEdit(Q(settings.UserText.Get()), this);
    field->setObjectName(QStringLiteral("100"));
    field->setMaxLength(static_cast<int>(UserTextDialogLength));
    field->setMinimumWidth(240);
    row->addWidget(field);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = NamedButton("Ok", 1, this);
    auto* cancel = NamedButton("Cancel", 2, this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this, field, &settings] {
        StoreUserText(settings, TextOf(field));
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ProfileSetupDialog::ProfileSetupDialog(SonarSettings& settings, QWidget* parent)
    : QDialog(parent), model_(settings) {
    setObjectName(QStringLiteral("PROFILESETUP"));
    setWindowTitle(QStringLiteral("Profile Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* sourceGroup = new QGroupBox(QStringLiteral("Profile Point Digitization Source"), this);
    auto* sourceLayout = new QHBoxLayout(sourceGroup);
    head_ = NamedRadio("Sonar Head", 3100, sourceGroup);
    surface_ = NamedRadio("Surface", 3101, sourceGroup);
    sourceLayout->addWidget(head_);
    sourceLayout->addWidget(surface_);
    layout->addWidget(sourceGroup);
    auto* typeGroup = new QGroupBox(QStringLiteral("Detection Type"), this);
    auto* typeLayout = new QHBoxLayout(typeGroup);
    start_ = NamedRadio("Start of Pulse", 300, typeGroup);
    centre_ = NamedRadio("Center of Pulse", 301, typeGroup);
    detection_ = new QButtonGroup(this);
    detection_->addButton(start_, 0);
    detection_->addButton(centre_, 1);
    typeLayout->addWidget(start_);
    typeLayout->addWidget(centre_);
    layout->addWidget(typeGroup);
    auto* grid = new QGridLayout;
    auto* units = new QLabel(Q(model_.UnitsLabel()), this);
    units->setObjectName(QStringLiteral("101"));
    range_ = AddSpinRow(grid, 0, "Minimum Range:", 100, 1000, units, this);
    range_->Edit()->setMaxLength(8);
    level_ = AddSpinRow(grid, 1, "Minimum Level:", 200, 2000,
                        new QLabel(QStringLiteral("Percent"), this), this);
    level_->Edit()->setMaxLength(3);
    layout->addLayout(grid);
    QPushButton *ok, *defaults;
    layout->addLayout(OkDefaultCancel(this, 20, "Defaults", &ok, &defaults));

    connect(head_, &QRadioButton::clicked, this, [this] {
        model_.SelectSource(0);
        ShowState();
    });
    connect(surface_, &QRadioButton::clicked, this, [this] {
        model_.SelectSource(1);
        ShowState();
    });
    connect(start_, &QRadioButton::clicked, this, [this] {
        model_.SelectDetection(0);
        ShowState();
    });
    connect(centre_, &QRadioButton::clicked, this, [this] {
        model_.SelectDetection(1);
        ShowState();
    });
    range_->onEdited = [this](const std::string& t) { model_.rangeText = t; };
    level_->onEdited = [this](const std::string& t) { model_.levelText = t; };
    range_->onSpin = [this](bool up) {
        model_.SpinRange(up);
        range_->SetText(model_.rangeText);
    };
    level_->onSpin = [this](bool up) {
        model_.SpinLevel(up);
        level_->SetText(model_.levelText);
    };
    connect(defaults, &QPushButton::clicked, this, [this] {
        model_.Defaults();
        range_->SetText(model_.rangeText);
        level_->SetText(model_.levelText);
        ShowState();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        const DialogMessages messages = model_.Ok();
        if (!messages.empty()) {
            range_->SetText(model_.rangeText);
            level_->SetText(model_.levelText);
        }
        if (ShowDialogMessages(this, messages))
            accept();
    });
    range_->SetText(model_.rangeText);
    level_->SetText(model_.levelText);
    ShowState();
    PlaceDialogOverImage(*this);
}

void ProfileSetupDialog::ShowState() {
    const bool surface = model_.SurfaceSource();
    head_->setChecked(!surface);
    surface_->setChecked(surface);
    start_->setEnabled(surface);
    centre_->setEnabled(surface);
    detection_->setExclusive(false);
    start_->setChecked(model_.CheckedDetection() == 0);
    centre_->setChecked(model_.CheckedDetection() == 1);
    detection_->setExclusive(true);
    level_->SetEditable(model_.LevelEditable());
    range_->SetEditable(model_.RangeEditable());
}

ComPortDialog::ComPortDialog(ComPortModel& model, std::function<void()> apply, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("COMPORTSETUP"));
    setWindowTitle(QStringLiteral("ComPort Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;

    auto* headGroup = new QGroupBox(QStringLiteral("Sonar Head (115200,N,8,1)"), this);
    headGroup->setObjectName(QStringLiteral("101"));
    auto* headLayout = new QGridLayout(headGroup);
    auto* headButtons = new QButtonGroup(this);
    for (int32_t i = 0; i < PortCount; ++i) {
        head_[i] = NamedRadio(PortName(i).c_str(), 1000 + i, headGroup);
        headButtons->addButton(head_[i], i);
        devices_[i] = new QLabel(headGroup);
        devices_[i]->setObjectName(QStringLiteral("device%1").arg(i + 1));
        headLayout->addWidget(head_[i], i, 0);
        headLayout->addWidget(devices_[i], i, 1);
    }
    auto_ = NamedRadio("AUTO Enable", 106, headGroup);
    rts_ = NamedRadio("RTS Enable", 107, headGroup);
    auto* ioButtons = new QButtonGroup(this);
    ioButtons->addButton(auto_, 0);
    ioButtons->addButton(rts_, 1);
    headLayout->addWidget(auto_, PortCount, 0);
    headLayout->addWidget(rts_, PortCount, 1);
    columns->addWidget(headGroup);

    auto* gpsGroup = new QGroupBox(QStringLiteral("GPS Input  "), this);
    gpsGroup->setObjectName(QStringLiteral("108"));
    auto* gpsLayout = new QGridLayout(gpsGroup);
    auto* baud = new QLabel(Q(model_.GpsBaudLabel()), gpsGroup);
    baud->setObjectName(QStringLiteral("150"));
    gpsLayout->addWidget(baud, 0, 0, 1, 2);
    gpsOn_ = NamedRadio("Enable", 117, gpsGroup);
    gpsOff_ = NamedRadio("Disable", 116, gpsGroup);
    auto* onOff = new QButtonGroup(this);
    onOff->addButton(gpsOn_);
    onOff->addButton(gpsOff_);
    gpsLayout->addWidget(gpsOn_, 1, 0);
    gpsLayout->addWidget(gpsOff_, 1, 1);
    auto* gpsButtons = new QButtonGroup(this);
    gpsButtons->setExclusive(false);
    for (int32_t i = 0; i < PortCount; ++i) {
        gps_[i] = NamedRadio(PortName(i).c_str(), 2000 + i, gpsGroup);
        gps_[i]->setAutoExclusive(false);
        gpsLayout->addWidget(gps_[i], 2 + i / 2, i % 2);
    }
    gll_ = NamedRadio("GLL", 113, gpsGroup);
    gga_ = NamedRadio("GGA", 114, gpsGroup);
    gll_->setAutoExclusive(false);
    gga_->setAutoExclusive(false);
    gpsLayout->addWidget(gll_, 2 + PortCount / 2, 0);
    gpsLayout->addWidget(gga_, 2 + PortCount / 2, 1);
    columns->addWidget(gpsGroup);
    layout->addLayout(columns);

    // Which device each COMn opens: any serial device of this machine.
    auto* mapGroup = new QGroupBox(QStringLiteral("Linux Device"), this);
    auto* mapLayout = new QHBoxLayout(mapGroup);
    mapPort_ = new QComboBox(mapGroup);
    mapPort_->setObjectName(QStringLiteral("mapPort"));
    for (int32_t i = 0; i < PortCount; ++i)
        mapPort_->addItem(Q(PortName(i)));
    mapDevice_ = new QComboBox(mapGroup);
    mapDevice_->setObjectName(QStringLiteral("mapDevice"));
    mapDevice_->setEditable(true);
    mapDevice_->setMinimumWidth(280);
    for (const SerialDevice& d : ListSerialDevices()) {
        const QString shown =
            d.target.empty() ? Q(d.path) : Q(d.path) + QStringLiteral(" -> ") + Q(d.target);
        mapDevice_->addItem(shown, Q(d.path));
    }
    mapDevice_->setCurrentText(Q(model_.DevicePath(0)));
    auto* map = NamedButton("Map", 3000, mapGroup);
    map->setObjectName(QStringLiteral("map"));
    mapLayout->addWidget(mapPort_);
    mapLayout->addWidget(new QLabel(QStringLiteral("="), mapGroup));
    mapLayout->addWidget(mapDevice_, 1);
    mapLayout->addWidget(map);
    layout->addWidget(mapGroup);

    auto* buttons = new QHBoxLayout;
    auto* ok = NamedButton("Ok", 1, this);
    auto* cancel = NamedButton("Cancel", 2, this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    for (int32_t i = 0; i < PortCount; ++i) {
        connect(head_[i], &QRadioButton::clicked, this, [this, i] {
            model_.SelectHeadPort(i);
            ShowState();
        });
        connect(gps_[i], &QRadioButton::clicked, this, [this, i] {
            model_.SelectGpsPort(i);
            ShowState();
        });
    }
    connect(auto_, &QRadioButton::clicked, this, [this] { model_.SelectIoCard(0); });
    connect(rts_, &QRadioButton::clicked, this, [this] { model_.SelectIoCard(1); });
    connect(gpsOn_, &QRadioButton::clicked, this, [this] {
        model_.EnableGps(true);
        ShowState();
    });
    connect(gpsOff_, &QRadioButton::clicked, this, [this] {
        model_.EnableGps(false);
        ShowState();
    });
    connect(gll_, &QRadioButton::clicked, this, [this] {
        model_.SelectGpsType(0);
        ShowState();
    });
    connect(gga_, &QRadioButton::clicked, this, [this] {
        model_.SelectGpsType(1);
        ShowState();
    });
    connect(mapPort_, &QComboBox::currentIndexChanged, this,
            [this](int i) { mapDevice_->setCurrentText(Q(model_.DevicePath(i))); });
    connect(map, &QPushButton::clicked, this, [this] {
        // A listed device gives its path; anything typed is taken as a path.
        const int listed = mapDevice_->findText(mapDevice_->currentText());
        const QString path = listed >= 0 ? mapDevice_->itemData(listed).toString()
                                         : mapDevice_->currentText().trimmed();
        const DialogMessages messages =
            model_.MapPort(mapPort_->currentIndex(), path.toStdString());
        ShowState();
        ShowDialogMessages(this, messages);
    });
    connect(ok, &QPushButton::clicked, this, [this, apply] {
        if (!ShowDialogMessages(this, model_.Check()))
            return;
        if (apply)
            apply();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowState();
    PlaceDialogOverImage(*this);
}

void ComPortDialog::ShowState() {
    for (int32_t i = 0; i < PortCount; ++i) {
        head_[i]->setEnabled(model_.HeadPortSelectable(i));
        head_[i]->setChecked(model_.HeadPort() == i);
        gps_[i]->setEnabled(model_.GpsPortSelectable(i));
        gps_[i]->setChecked(model_.CheckedGpsPort() == i);
        devices_[i]->setText(Q(model_.PortLabel(i).substr(PortName(i).size() + 2)));
    }
    auto_->setChecked(model_.IoCard() == 0);
    rts_->setChecked(model_.IoCard() == 1);
    gpsOn_->setChecked(model_.GpsEnabled());
    gpsOff_->setChecked(!model_.GpsEnabled());
    gll_->setEnabled(model_.GpsTypeSelectable());
    gga_->setEnabled(model_.GpsTypeSelectable());
    gll_->setChecked(model_.CheckedGpsType() == 0);
    gga_->setChecked(model_.CheckedGpsType() == 1);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ABOUTBOX"));
    setWindowTitle(QStringLiteral("About TARVISK"));
    auto* layout = new QVBoxLayout(this);
    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/tarvisk/logo.png")));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);
    const QString version = QStringLiteral(TARVISK_VERSION);
    for (const QString& line :
         {QStringLiteral("Tarvisk Digital Sonar"), QStringLiteral("for K260 sonar heads on Linux"),
          QStringLiteral("Version ") + version, QStringLiteral("Head link 115,200 bps")}) {
        auto* l = new QLabel(line, this);
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    auto* ok = NamedButton("OK", 1, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok);
    PlaceDialogOverImage(*this);
}

}  // namespace tarvisk
