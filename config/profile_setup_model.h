#pragma once
// The "Profile Setup" dialog: where profile points come from, how the program detects them,
// and the minimum range and level of its detection. The radios store at once; "Ok" reads the
// two fields.

#include <string>

#include "config/dialog_message.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class ProfileSetupModel {
  public:
    // Opening: a stored minimum range above the units' limit becomes 0 at once.
    explicit ProfileSetupModel(SonarSettings& settings);

    std::string UnitsLabel() const;
    bool SurfaceSource() const { return settings_.ProfileDigitizationSource == 1; }
    // Minimum level and the detection radios are usable only with the program detecting.
    bool LevelEditable() const { return SurfaceSource(); }
    bool RangeEditable() const { return settings_.RunMode == 0 || SurfaceSource(); }
    // The detection radio shown checked, or -1 for none.
    int32_t CheckedDetection() const;

    void SelectSource(int32_t source);
    void SelectDetection(int32_t type);
    void SpinRange(bool up);
    void SpinLevel(bool up);
    void Defaults();
    DialogMessages Ok();

    std::string rangeText, levelText;

  private:
    void ShowRange(float value);
    void ShowLevel(int32_t value);
    float RangeLimit() const;

    SonarSettings& settings_;
    float range_ = 0.0f;
    int32_t level_ = 70;
    bool detectionUnchecked_ = false;
};

}  // namespace tarvisk
