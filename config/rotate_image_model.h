#pragma once
// The "Rotate Sonar Image" dialog: an angle added to every head bearing, -180.0 .. 180.0.

#include <string>

#include "config/dialog_message.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class RotateImageModel {
  public:
    explicit RotateImageModel(SonarSettings& settings);

    const std::string& Text() const { return text_; }
    float Value() const { return value_; }
    // Typed text (at most 5 characters are read) becomes the working value.
    void SetText(const std::string& typed);
    void Spin(bool up);
    void Default();
    DialogMessages Ok();

  private:
    void Show(float value);

    SonarSettings& settings_;
    float value_ = 0.0f;
    std::string text_;
};

}  // namespace tarvisk
