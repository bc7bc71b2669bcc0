#pragma once
// The setup dialogs of the Options, Profile and port menus, each over its model.

#include <QDialog>
#include <array>

#include "config/com_port_model.h"
#include "config/profile_setup_model.h"
#include "config/qt/dialog_kit.h"
#include "config/rotate_image_model.h"
#include "config/sound_velocity_model.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QRadioButton;

namespace tarvisk {

class SoundVelocityDialog : public QDialog {
    Q_OBJECT
  public:
    SoundVelocityDialog(SonarSettings& settings, QWidget* parent);

  private:
    SoundVelocityModel model_;
};

class RotateImageDialog : public QDialog {
    Q_OBJECT
  public:
    RotateImageDialog(SonarSettings& settings, QWidget* parent);

  private:
    RotateImageModel model_;
};

class UserTextDialog : public QDialog {
    Q_OBJECT
  public:
    UserTextDialog(SonarSettings& settings, QWidget* parent);
};

class ProfileSetupDialog : public QDialog {
    Q_OBJECT
  public:
    ProfileSetupDialog(SonarSettings& settings, QWidget* parent);

  private:
    void ShowState();

    ProfileSetupModel model_;
    QRadioButton* head_;
    QRadioButton* surface_;
    QRadioButton* start_;
    QRadioButton* centre_;
    QButtonGroup* detection_;
    SpinField* range_;
    SpinField* level_;
};

// The port choice and the device behind each COMn. `apply` runs on "Ok" once the choice has
// passed its check: stop the link, store, start it again.
class ComPortDialog : public QDialog {
    Q_OBJECT
  public:
    ComPortDialog(ComPortModel& model, std::function<void()> apply, QWidget* parent);

  private:
    void ShowState();

    ComPortModel& model_;
    std::array<QRadioButton*, PortCount> head_{};
    std::array<QRadioButton*, PortCount> gps_{};
    std::array<QLabel*, PortCount> devices_{};
    QRadioButton* auto_;
    QRadioButton* rts_;
    QRadioButton* gpsOn_;
    QRadioButton* gpsOff_;
    QRadioButton* gll_;
    QRadioButton* gga_;
    QComboBox* mapPort_;
    QComboBox* mapDevice_;
};

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace tarvisk
