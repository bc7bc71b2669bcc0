#pragma once
// The "Change Azimuth" dialog without its widgets: the working drive position, its spin and
// default buttons, and what "Ok" accepts.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

inline constexpr const char* AzimuthSetupTitle = "Change Azimuth";
inline constexpr const char* AzimuthSetupWarningTitle = "Azimuth Drive Setup";
inline constexpr const char* AzimuthSetupWarning =
    "Azimuth Angle is out of range!\nUse 0 to 359.7 Degrees.";

class AzimuthSetupModel {
  public:
    explicit AzimuthSetupModel(int32_t azimuthAngle);

    // The field's text for the working position ("%5.1f" of the angle).
    std::string Text() const;
    int32_t Steps() const { return steps_; }
    void SpinUp();
    void SpinDown();
    void Default() { steps_ = 600; }
    // Reads the field (at most its first 6 characters). On success the working position is
    // the one to store; on failure `warning` holds the message and the field shows Text().
    bool Ok(std::string_view fieldText, std::string* warning);

  private:
    int32_t steps_;
};

}  // namespace tarvisk
