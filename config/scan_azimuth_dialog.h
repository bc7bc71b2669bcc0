#pragma once
// The "AUTOAZIMUTH" dialog: start, stop and increment of an auto-azimuth run in degrees,
// held as azimuth drive steps of 0.3 degrees (600 = 0 degrees).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/sonar_settings.h"

namespace tarvisk {

namespace autoazimuth_ids {
inline constexpr int32_t Ok = 1;
inline constexpr int32_t Cancel = 2;
inline constexpr int32_t Enable = 10;
inline constexpr int32_t Defaults = 20;
inline constexpr int32_t Start = 100;
inline constexpr int32_t StartArrows = 1000;
inline constexpr int32_t Stop = 200;
inline constexpr int32_t StopArrows = 2000;
inline constexpr int32_t Increment = 300;
inline constexpr int32_t IncrementArrows = 3000;
inline constexpr int32_t GenerateXyz = 500;
}  // namespace autoazimuth_ids

// Degrees shown for a drive position: steps x 0.3 - 180, brought into 0 <= angle < 360.
float AzimuthStepsToDegrees(int32_t steps);
// Drive position for an angle: 180 or more first loses 360; rounded, limited to 0..1199.
int32_t AzimuthDegreesToSteps(float degrees);
// Increment steps for an angle: rounded, limited to 1..600.
int32_t AzimuthIncrementSteps(float degrees);

struct AutoAzimuthRunFlags {
    SharedInt& AutoAzimuthOn;
    SharedInt& AutoProfileRunning;
};

class AutoAzimuthDialogModel {
  public:
    enum Field { StartField, StopField, IncrementField };
    struct Warning {
        std::string text;
        std::string caption;
    };

    void Open(const SonarSettings& settings, const AutoAzimuthRunFlags& run);

    void EditChanged(Field field, std::string_view text);
    // One drive step per arrow; start and stop wrap 1199 <-> 0, the increment stays in 1..600.
    void Scroll(Field field, bool up);
    void SetEnable(bool on) { enable_ = on; }
    // Toggling the box closes an open XYZ file (the caller does it when this returns true).
    bool SetGenerateXyz(bool on);
    void Defaults(AutoAzimuthRunFlags& run);
    // Checks the fields. On a bad value returns the warnings to show, rewrites the fields from
    // the last valid steps and stores nothing; otherwise stores and returns none.
    std::vector<Warning> Ok(SonarSettings& settings, AutoAzimuthRunFlags& run);

    // Ok was pressed with valid values (they are stored).
    bool Accepted() const { return accepted_; }
    bool Enable() const { return enable_; }
    const std::string& Text(Field field) const { return texts_[field]; }
    bool GenerateXyz() const { return generateXyz_; }
    int32_t StartSteps() const { return start_; }
    int32_t StopSteps() const { return stop_; }
    int32_t IncrementStepCount() const { return increment_; }

  private:
    void Rewrite();

    bool enable_ = false;
    int32_t start_ = 600;
    int32_t stop_ = 500;
    int32_t increment_ = 100;
    std::string texts_[3];
    bool generateXyz_ = true;
    bool accepted_ = false;
};

}  // namespace tarvisk
