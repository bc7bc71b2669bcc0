#include "app/config_wiring.h"

#include "app/main_window.h"
#include "config/qt/settings_dialogs.h"
#include "config/qt/setup_dialogs.h"
#include "display/gps_readout.h"

namespace tarvisk {

namespace {

// The setup dialogs behind their menu items; owned by the host window, gone with it.
class ConfigFeatures final : public QObject, public FeatureProvider {
  public:
    ConfigFeatures(SonarSystem& system, MainWindow& window, LiveLink& link)
        : QObject(&window.Host()),
          system_(system),
          settings_(system.settings),
          config_(system.userConfig),
          window_(window),
          panel_(window.Panel()),
          host_(window.Host()),
          link_(link) {
        for (Feature f :
             {Feature::Settings, Feature::ComPorts, Feature::SoundVelocity, Feature::RotateImage,
              Feature::UserText, Feature::ProfileSetup, Feature::About})
            window_.features.Register(f, this);
    }
    ~ConfigFeatures() override { window_.features.Withdraw(this); }

    void RunFeature(Feature feature) override {
        switch (feature) {
            case Feature::Settings:
                return Settings();
            case Feature::ComPorts:
                return ComPorts();
            case Feature::SoundVelocity:
                return SoundVelocity();
            case Feature::RotateImage:
                return RotateImage();
            case Feature::UserText:
                return UserText();
            case Feature::ProfileSetup:
                return ProfileSetup();
            case Feature::About:
                return About();
            default:
                return;
        }
    }

  private:
    void Settings() {
        if (settings_.RunMode == 1) {
            PlaybackSettingsDialog view(
                PlaybackSettingsView(settings_, system_.link.LastReportedHeadId,
                                     panel_.State().FileFrequency),
                &host_);
            view.exec();
            return;
        }
        SettingsDialog dialog(settings_, config_, host_, &host_);
        dialog.Model().redrawFrequency = [this] { panel_.DrawFrequency(); };
        dialog.exec();
        panel_.DrawFrequency();
        settings_.ParametersChanged = 1;
    }
    void ComPorts() {
        ComPortModel model(settings_, system_.ports, system_.portAvailability);
        ComPortDialog dialog(
            model,
            [&] {
                link_.Stop();
                model.Store(settings_, system_.ports, system_.portAvailability);
                link_.Start();
                if (settings_.UseGPS == 0) {
                    // The input is stopped: its last position must not stay on show.
                    system_.gps.Age = 5;
                    ShowGpsPosition(window_.Surface(), system_.gps, settings_, false, false);
                }
            },
            &host_);
        dialog.exec();
        settings_.ParametersChanged = 1;
    }
    // The grid that follows a new velocity is redrawn by the menu command that runs this.
    void SoundVelocity() {
        SoundVelocityDialog dialog(settings_, &host_);
        dialog.exec();
    }
    void RotateImage() {
        RotateImageDialog dialog(settings_, &host_);
        dialog.exec();
        window_.Drawing().RedrawImage();
        panel_.DrawSectorDial();
    }
    void UserText() {
        UserTextDialog dialog(settings_, &host_);
        dialog.exec();
        panel_.DrawUserText();
    }
    void ProfileSetup() {
        ProfileSetupDialog dialog(settings_, &host_);
        dialog.exec();
    }
    void About() {
        AboutDialog dialog(&host_);
        dialog.exec();
        if (settings_.RunMode == 0)
            settings_.ParametersChanged = 1;
    }

    SonarSystem& system_;
    SonarSettings& settings_;
    UserConfig& config_;
    MainWindow& window_;
    StatusPanel& panel_;
    HostWindow& host_;
    LiveLink& link_;
};

}  // namespace

void InstallConfigWiring(SonarSystem& system, MainWindow& window, LiveLink& link) {
    SonarSettings& s = system.settings;
    UserConfig& config = system.userConfig;
    LoadNamedConfiguration(config, s);

    StatusPanel& panel = window.Panel();
    // The auto setup follows every range, mode and units redraw of the range readout.
    panel.onRangeApplied = [&s, &config, &panel, previous = panel.onRangeApplied] {
        if (previous)
            previous();
        if (s.RunMode == 0 && s.ConfigType == 1 && ApplyConfigRow(config, s))
            panel.DrawFrequency();
    };

    new ConfigFeatures(system, window, link);
}

}  // namespace tarvisk
