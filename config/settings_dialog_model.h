#pragma once
// The live "Settings" dialog: manual frequency, absorption and pulse length, or the auto setup
// from the user configuration table. Radio buttons and "Defaults" take effect at once; "Ok"
// reads the typed fields.

#include <functional>
#include <string>

#include "config/dialog_message.h"
#include "config/user_config.h"

namespace tarvisk {

class SettingsDialogModel {
  public:
    SettingsDialogModel(SonarSettings& settings, UserConfig& config);

    // Asked to redraw the main window's frequency readout.
    std::function<void()> redrawFrequency;

    bool AutoSetup() const { return settings_.ConfigType == 1; }
    bool ManualEditable() const { return !AutoSetup(); }

    void SelectManual();
    void SelectAuto();
    // After the User Configuration dialog returned.
    void AfterEditConfiguration();
    void SpinFrequency(bool up);
    void SpinAbsorption(bool up);
    void SpinPulse(bool up);
    void Defaults();
    // Empty when the dialog may close; valid fields are applied either way.
    DialogMessages Ok();

    // Field texts as the dialog shows them; the view writes typed text back.
    std::string ConfigText() const;
    std::string HeadIdText() const;
    std::string UnitsLabel() const;
    std::string frequencyText, absorptionText, pulseText;

  private:
    void ShowValues();

    SonarSettings& settings_;
    UserConfig& config_;
    // What the spin arrows step from: the values last shown by the program.
    int32_t frequency_ = 0, absorption_ = 0, pulse_ = 0;
};

// The read-only playback view: head ID, the file's frequency, absorption and pulse length.
struct PlaybackSettingsTexts {
    std::string headId, frequency, absorption, pulseLength;
};
PlaybackSettingsTexts PlaybackSettingsView(const SonarSettings& settings, int32_t replyHeadId,
                                           int32_t fileFrequency);

}  // namespace tarvisk
