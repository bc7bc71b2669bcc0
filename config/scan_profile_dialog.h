#pragma once
// The auto-profile dialogs: "SNAPSHOT" (vertical scan at a chainage) and "SNAPSHOT2"
// (horizontal scan at an elevation, lowered by a payout increment each time). The model holds
// the working values, the edit texts and the check boxes; the Qt view only mirrors it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/sonar_settings.h"

namespace tarvisk {

// Control identifiers of both templates.
namespace snapshot_ids {
inline constexpr int32_t Ok = 1;
inline constexpr int32_t Cancel = 2;
inline constexpr int32_t Enable = 10;
inline constexpr int32_t Defaults = 20;
inline constexpr std::array<int32_t, 4> Edit{100, 200, 300, 400};
inline constexpr std::array<int32_t, 4> Arrows{1000, 2000, 3000, 4000};
inline constexpr std::array<int32_t, 4> UnitLabel{101, 201, 301, 401};
inline constexpr int32_t GenerateXyz = 500;
inline constexpr int32_t GenerateBmp = 501;
inline constexpr int32_t SaveConfirmation = 502;
inline constexpr int32_t PromptForScan = 503;
}  // namespace snapshot_ids

enum class ScanKind { Vertical, Horizontal };

// What the auto-profile scans keep between dialogs besides the settings.
struct AutoProfileRunState {
    SharedInt& AutoProfileRunning;
    float PayoutIncrement = 0.0f;  // horizontal scans; kept for the run only
};

class AutoProfileDialogModel {
  public:
    // Field slots in the order of the identifiers 100, 200, 300, 400.
    static constexpr int32_t FieldCount = 4;

    explicit AutoProfileDialogModel(ScanKind kind) : kind_(kind) {}

    ScanKind Kind() const { return kind_; }
    std::string_view Title() const;
    std::string_view TemplateName() const;
    // "Chainage:", "Sonar Elevation:", ... by slot, and the group of the fourth field.
    std::string_view FieldLabel(int32_t slot) const;
    std::string_view FourthGroup() const;
    std::string_view UnitText() const { return feet_ ? "Feet" : "Meters"; }

    // With both "Generate" boxes off the confirmation setting is cleared.
    void Open(SonarSettings& settings, const AutoProfileRunState& run);

    // An edit of field slot: up to 8 characters read as a decimal number.
    void EditChanged(int32_t slot, std::string_view text);
    // A scroll arrow: 0.1 up or down, the field rewritten.
    void Scroll(int32_t slot, bool up);
    void SetEnable(bool on) { enable_ = on; }
    void SetGenerateXyz(bool on) { SetGenerate(generateXyz_, on); }
    void SetGenerateBmp(bool on) { SetGenerate(generateBmp_, on); }
    // Ignored while both "Generate" boxes are off (the box is greyed).
    void SetConfirmation(bool on);
    void SetPromptForScan(bool on) { prompt_ = on; }
    // "Defaults": scanning off at once, values 0, the four after-scan settings on at once.
    void Defaults(SonarSettings& settings, AutoProfileRunState& run);
    // "Ok": stores everything; AutoProfileRunning becomes the enable box.
    void Ok(SonarSettings& settings, AutoProfileRunState& run) const;

    bool Enable() const { return enable_; }
    float Value(int32_t slot) const { return values_[size_t(slot)]; }
    const std::string& Text(int32_t slot) const { return texts_[size_t(slot)]; }
    bool GenerateXyz() const { return generateXyz_; }
    bool GenerateBmp() const { return generateBmp_; }
    bool Confirmation() const { return confirmation_; }
    bool ConfirmationEnabled() const { return generateXyz_ || generateBmp_; }
    bool PromptForScan() const { return prompt_; }

  private:
    void SetGenerate(bool& box, bool on);
    void Rewrite(int32_t slot);

    ScanKind kind_;
    bool feet_ = false;
    bool enable_ = false;
    std::array<float, FieldCount> values_{};
    std::array<std::string, FieldCount> texts_;
    bool generateXyz_ = false;
    bool generateBmp_ = false;
    bool confirmation_ = false;
    bool prompt_ = false;
};

// "%6.2f", as every field of these dialogs shows its value.
std::string ScanFieldText(float value);
// The leading decimal number of at most maxChars characters; 0 when there is none.
float ParseScanField(std::string_view text, size_t maxChars);

}  // namespace tarvisk
