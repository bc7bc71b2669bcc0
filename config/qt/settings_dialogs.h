#pragma once
// The frequency setup dialogs: "Settings" (live), "User Configuration" and the playback
// "Settings" view. Each binds widgets to its model and shows the model's warnings.

#include <QDialog>
#include <array>
#include <functional>

#include "config/qt/dialog_kit.h"
#include "config/settings_dialog_model.h"
#include "config/user_config_dialog_model.h"
#include "platform/window_services.h"

class QLabel;
class QRadioButton;

namespace tarvisk {

class UserConfigDialog : public QDialog {
    Q_OBJECT
  public:
    // `files` asks for the .CFG names of "Load..." and "Save As...".
    UserConfigDialog(SonarSettings& settings, UserConfig& config, WindowServices& files,
                     QWidget* parent);
    UserConfigDialogModel& Model() { return model_; }

  private:
    void ShowAll();
    void ShowMessages(const DialogMessages& messages);

    UserConfigDialogModel model_;
    WindowServices& files_;
    QLineEdit* name_;
    std::array<std::array<SpinField*, 3>, ConfigRowCount> fields_{};
};

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsDialog(SonarSettings& settings, UserConfig& config, WindowServices& files,
                   QWidget* parent);
    SettingsDialogModel& Model() { return model_; }

  private:
    void ShowAll();

    SonarSettings& settings_;
    UserConfig& config_;
    WindowServices& files_;
    SettingsDialogModel model_;
    QRadioButton* autoRadio_;
    QRadioButton* manualRadio_;
    QLineEdit* configName_;
    QPushButton* editButton_;
    QPushButton* defaultsButton_;
    SpinField* frequency_;
    SpinField* absorption_;
    SpinField* pulse_;
};

class PlaybackSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    PlaybackSettingsDialog(const PlaybackSettingsTexts& texts, QWidget* parent);
};

}  // namespace tarvisk
