#pragma once
// The "Sound Velocity" dialog: the speed of sound in the current units, stepped by 0.1.

#include <string>

#include "config/dialog_message.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class SoundVelocityModel {
  public:
    explicit SoundVelocityModel(SonarSettings& settings);

    std::string UnitsLabel() const;
    const std::string& Text() const { return text_; }
    float Value() const { return value_; }

    // Typed text (at most 6 characters are read) becomes the working value.
    void SetText(const std::string& typed);
    void Spin(bool up);
    void Default();
    // Empty when stored and closing; otherwise the warning, with the setting shown again.
    DialogMessages Ok();

  private:
    void Show(float value);
    float Lowest() const;
    float Highest() const;

    SonarSettings& settings_;
    bool feet_;
    float value_ = 0.0f;
    std::string text_;
};

}  // namespace tarvisk
