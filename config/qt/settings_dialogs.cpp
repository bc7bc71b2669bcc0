#include "config/qt/settings_dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvisk {
namespace {

constexpr ConfigColumn Columns[] = {ConfigColumn::Frequency, ConfigColumn::Absorption,
                                    ConfigColumn::PulseLength};

QLineEdit* ReadOnlyField(int id, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    e->setReadOnly(true);
    return e;
}

QLabel* NamedLabel(const QString& text, int id, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::number(id));
    return l;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

UserConfigDialog::UserConfigDialog(SonarSettings& settings, UserConfig& config,
                                   WindowServices& files, QWidget* parent)
    : QDialog(parent), model_(settings, config), files_(files) {
    setObjectName(QStringLiteral("USERCONFIG1"));
    setWindowTitle(QStringLiteral("User Configuration"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Configuration:"), this));
    name_ = ReadOnlyField(2900, this);
    name_->setMinimumWidth(260);
    top->addWidget(name_);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Range"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Frequency (kHz)"), this), 0, 1, 1, 2);
    auto* absorptionHead = new QHBoxLayout;
    absorptionHead->addWidget(new QLabel(QStringLiteral("Absorption"), this));
    absorptionHead->addWidget(NamedLabel(Q(model_.UnitsLabel()), 18, this));
    absorptionHead->addStretch();
    grid->addLayout(absorptionHead, 0, 3, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Pulse Length (us)"), this), 0, 5, 1, 2);
    for (int32_t k = 0; k < ConfigRowCount; ++k) {
        grid->addWidget(NamedLabel(Q(model_.RowLabel(k)), 10 * (k + 1), this), k + 1, 0);
        for (int c = 0; c < 3; ++c) {
            const ConfigColumn column = Columns[c];
            auto* field = new SpinField(1001 + 1000 * k + c, 1010 + 1000 * k + 10 * c, this);
            field->Edit()->setMaxLength(column == ConfigColumn::Absorption ? 7 : 4);
            field->Edit()->setFixedWidth(70);
            field->onSpin = [this, k, column, field](bool up) {
                model_.Spin(k, column, up);
                field->SetText(model_.Text(k, column));
            };
            field->onEdited = [this, k, column](const std::string& text) {
                model_.Text(k, column) = text;
            };
            fields_[k][c] = field;
            grid->addWidget(field, k + 1, 1 + 2 * c);
            auto* d = NamedButton("D", 20010 + 1000 * c + 10 * k, this);
            d->setFixedWidth(22);
            connect(d, &QPushButton::clicked, this, [this, k, column, field] {
                model_.DefaultField(k, column);
                field->SetText(model_.Text(k, column));
            });
            grid->addWidget(d, k + 1, 2 + 2 * c);
        }
    }
    layout->addLayout(grid);
    layout->addWidget(
        new QLabel(QStringLiteral("*Note: Pulse Length is multiplied by 2 in Polar Mode"), this));

    auto* buttons = new QHBoxLayout;
    auto* ok = NamedButton("Ok", 1, this);
    auto* load = NamedButton("Load...", 300, this);
    auto* save = NamedButton("Save As...", 301, this);
    auto* defaults = NamedButton("Default", 200, this);
    auto* cancel = NamedButton("Cancel", 2, this);
    for (QPushButton* b : {ok, load, save, defaults, cancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] {
        if (ShowDialogMessages(this, model_.Ok()))
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] {
        model_.DefaultTable();
        ShowAll();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        const std::string path = files_.AskOpenFileName(UserConfigDialogModel::LoadDialog());
        if (path.empty())
            return;
        ShowMessages(model_.Load(path));
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const std::string path = files_.AskSaveFileName(UserConfigDialogModel::SaveDialog());
        if (path.empty())
            return;
        ShowMessages(model_.SaveAs(path));
    });
    ShowAll();
    PlaceDialogOverImage(*this, 8);
}

void UserConfigDialog::ShowMessages(const DialogMessages& messages) {
    ShowDialogMessages(this, messages);
    ShowAll();
}

void UserConfigDialog::ShowAll() {
    name_->setText(Q(model_.ConfigText()));
    for (int32_t k = 0; k < ConfigRowCount; ++k)
        for (int c = 0; c < 3; ++c)
            fields_[k][c]->SetText(model_.Text(k, Columns[c]));
}

SettingsDialog::SettingsDialog(SonarSettings& settings, UserConfig& config, WindowServices& files,
                               QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      config_(config),
      files_(files),
      model_(settings, config) {
    setObjectName(QStringLiteral("SETSWITCHES"));
    setWindowTitle(QStringLiteral("Settings"));
    auto* layout = new QVBoxLayout(this);

    auto* autoGroup = new QGroupBox(QStringLiteral("Auto Frequency Setup"), this);
    auto* autoLayout = new QGridLayout(autoGroup);
    autoRadio_ = NamedRadio("Enable", 3101, autoGroup);
    editButton_ = NamedButton("Edit Configuration...", 3000, autoGroup);
    configName_ = ReadOnlyField(2900, autoGroup);
    configName_->setMinimumWidth(260);  // a shortened name (30 characters) shows whole
    autoLayout->addWidget(autoRadio_, 0, 0);
    autoLayout->addWidget(editButton_, 0, 1);
    autoLayout->addWidget(new QLabel(QStringLiteral("Current Configuration:"), autoGroup), 1, 0);
    autoLayout->addWidget(configName_, 1, 1);
    layout->addWidget(autoGroup);

    auto* manualGroup = new QGroupBox(QStringLiteral("Manual Frequency Setup"), this);
    auto* manual = new QGridLayout(manualGroup);
    manualRadio_ = NamedRadio("Enable", 3100, manualGroup);
    manual->addWidget(manualRadio_, 0, 0);
    manual->addWidget(new QLabel(QStringLiteral("Head ID:"), manualGroup), 1, 0);
    auto* headId = ReadOnlyField(100, manualGroup);
    headId->setText(Q(model_.HeadIdText()));
    manual->addWidget(headId, 1, 1);
    manual->addWidget(new QLabel(QStringLiteral("Frequency:"), manualGroup), 2, 0);
    frequency_ = new SpinField(123, 1230, manualGroup);
    frequency_->Edit()->setMaxLength(4);
    manual->addWidget(frequency_, 2, 1);
    manual->addWidget(new QLabel(QStringLiteral("kHz"), manualGroup), 2, 2);
    manual->addWidget(new QLabel(QStringLiteral("Absorption:"), manualGroup), 3, 0);
    absorption_ = new SpinField(108, 1080, manualGroup);
    absorption_->Edit()->setMaxLength(7);
    manual->addWidget(absorption_, 3, 1);
    manual->addWidget(NamedLabel(Q(model_.UnitsLabel()), 18, manualGroup), 3, 2);
    manual->addWidget(new QLabel(QStringLiteral("Pulse Length:"), manualGroup), 4, 0);
    pulse_ = new SpinField(112, 1120, manualGroup);
    pulse_->Edit()->setMaxLength(4);
    manual->addWidget(pulse_, 4, 1);
    manual->addWidget(new QLabel(QStringLiteral("usec"), manualGroup), 4, 2);
    layout->addWidget(manualGroup);

    auto* buttons = new QHBoxLayout;
    auto* ok = NamedButton("Ok", 1, this);
    defaultsButton_ = NamedButton("Defaults", 200, this);
    auto* cancel = NamedButton("Cancel", 2, this);
    for (QPushButton* b : {ok, defaultsButton_, cancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(manualRadio_, &QRadioButton::clicked, this, [this] {
        model_.SelectManual();
        ShowAll();
    });
    connect(autoRadio_, &QRadioButton::clicked, this, [this] {
        model_.SelectAuto();
        ShowAll();
    });
    connect(editButton_, &QPushButton::clicked, this, [this] {
        if (!model_.AutoSetup())
            return;
        UserConfigDialog edit(settings_, config_, files_, this);
        edit.exec();
        model_.AfterEditConfiguration();
        ShowAll();
    });
    frequency_->onSpin = [this](bool up) {
        model_.SpinFrequency(up);
        ShowAll();
    };
    absorption_->onSpin = [this](bool up) {
        model_.SpinAbsorption(up);
        ShowAll();
    };
    pulse_->onSpin = [this](bool up) {
        model_.SpinPulse(up);
        ShowAll();
    };
    frequency_->onEdited = [this](const std::string& t) { model_.frequencyText = t; };
    absorption_->onEdited = [this](const std::string& t) { model_.absorptionText = t; };
    pulse_->onEdited = [this](const std::string& t) { model_.pulseText = t; };
    connect(defaultsButton_, &QPushButton::clicked, this, [this] {
        model_.Defaults();
        ShowAll();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (ShowDialogMessages(this, model_.Ok()))
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowAll();
    PlaceDialogOverImage(*this);
}

void SettingsDialog::ShowAll() {
    const bool manual = model_.ManualEditable();
    autoRadio_->setChecked(!manual);
    manualRadio_->setChecked(manual);
    editButton_->setEnabled(!manual);
    defaultsButton_->setEnabled(manual);
    configName_->setText(Q(model_.ConfigText()));
    frequency_->SetText(model_.frequencyText);
    absorption_->SetText(model_.absorptionText);
    pulse_->SetText(model_.pulseText);
    for (SpinField* f : {frequency_, absorption_, pulse_})
        f->SetEditable(manual);
}

PlaybackSettingsDialog::PlaybackSettingsDialog(const PlaybackSettingsTexts& texts, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DISPLAYSWITCHES"));
    setWindowTitle(QStringLiteral("Settings"));
    auto* grid = new QGridLayout(this);
    const std::pair<const char*, const std::string*> rows[] = {
        {"Head ID:", &texts.headId},
        {"Frequency:", &texts.frequency},
        {"Absorption:", &texts.absorption},
        {"Pulse Length:", &texts.pulseLength},
    };
    int r = 0;
    for (const auto& [label, value] : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), this), r, 0);
        auto* field = ReadOnlyField(100 + r, this);
        field->setText(Q(*value));
        grid->addWidget(field, r, 1);
        ++r;
    }
    auto* ok = NamedButton("Ok", 1, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, r, 0, 1, 2);
}

}  // namespace tarvisk
