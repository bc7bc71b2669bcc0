#include "config/scan_profile_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "config/ini_file.h"

namespace tarvisk {

std::string ScanFieldText(float value) {
    char text[48];
    std::snprintf(text, sizeof text, "%6.2f", double(value));
    return text;
}

float ParseScanField(std::string_view text, size_t maxChars) {
    return float(ParseIniFloat(text.substr(0, maxChars)));  // a point whatever the locale
}

std::string_view AutoProfileDialogModel::Title() const {
    return kind_ == ScanKind::Vertical ? "Auto-Profile (Vertical Scan)"
                                       : "Auto-Profile (Horizontal Scan)";
}

std::string_view AutoProfileDialogModel::TemplateName() const {
    return kind_ == ScanKind::Vertical ? "SNAPSHOT" : "SNAPSHOT2";
}

std::string_view AutoProfileDialogModel::FieldLabel(int32_t slot) const {
    static constexpr std::array<std::string_view, FieldCount> vertical{
        "Chainage:", "Sonar Elevation:", "Sonar Offset:", "Depth Below Sonar:"};
    static constexpr std::array<std::string_view, FieldCount> horizontal{
        "Sonar Y Offset:", "Sonar Elevation:", "Sonar X Offset:", "Payout Increment:"};
    if (slot < 0 || slot >= FieldCount)
        return {};
    return kind_ == ScanKind::Vertical ? vertical[size_t(slot)] : horizontal[size_t(slot)];
}

std::string_view AutoProfileDialogModel::FourthGroup() const {
    return kind_ == ScanKind::Vertical ? "Dredge Line" : "Auto-Elevation";
}

void AutoProfileDialogModel::Open(SonarSettings& s, const AutoProfileRunState& run) {
    feet_ = s.Units == 1;
    enable_ = run.AutoProfileRunning != 0;
    values_[0] = s.ProfileChainage;
    values_[2] = s.ProfileXOffset;
    if (kind_ == ScanKind::Vertical) {
        values_[1] = s.ProfileElevation;
        values_[3] = s.ProfileDredgeDepth;
    } else {
        // Each opening proposes the next, lower elevation.
        values_[1] = s.ProfileElevation - run.PayoutIncrement;
        values_[3] = run.PayoutIncrement;
    }
    for (int32_t i = 0; i < FieldCount; ++i)
        Rewrite(i);
    generateXyz_ = s.AutoProfileXYZ != 0;
    generateBmp_ = s.AutoProfileBMP != 0;
    if (!ConfirmationEnabled())
        s.AutoProfileSaveConfirmation = 0;
    confirmation_ = s.AutoProfileSaveConfirmation != 0;
    prompt_ = s.AutoProfilePromptForScan != 0;
}

void AutoProfileDialogModel::EditChanged(int32_t slot, std::string_view text) {
    if (slot < 0 || slot >= FieldCount)
        return;
    texts_[size_t(slot)] = std::string(text);
    values_[size_t(slot)] = ParseScanField(text, 8);
}

void AutoProfileDialogModel::Scroll(int32_t slot, bool up) {
    if (slot < 0 || slot >= FieldCount)
        return;
    float& v = values_[size_t(slot)];
    v = up ? v + 0.1f : v - 0.1f;
    if (kind_ == ScanKind::Horizontal && slot == 3 && v < 0.0f)
        v = 0.0f;
    Rewrite(slot);
}

void AutoProfileDialogModel::SetGenerate(bool& box, bool on) {
    box = on;
    if (on)
        confirmation_ = true;
    else if (!ConfirmationEnabled())
        confirmation_ = false;
}

void AutoProfileDialogModel::SetConfirmation(bool on) {
    if (ConfirmationEnabled())
        confirmation_ = on;
}

void AutoProfileDialogModel::Defaults(SonarSettings& s, AutoProfileRunState& run) {
    enable_ = false;
    run.AutoProfileRunning = 0;
    values_.fill(0.0f);
    for (int32_t i = 0; i < FieldCount; ++i)
        Rewrite(i);
    s.AutoProfileXYZ = 1;
    s.AutoProfileBMP = 1;
    s.AutoProfileSaveConfirmation = 1;
    s.AutoProfilePromptForScan = 1;
    generateXyz_ = generateBmp_ = confirmation_ = prompt_ = true;
}

void AutoProfileDialogModel::Ok(SonarSettings& s, AutoProfileRunState& run) const {
    run.AutoProfileRunning = enable_ ? 1 : 0;
    s.ProfileChainage = values_[0];
    s.ProfileElevation = values_[1];
    s.ProfileXOffset = values_[2];
    if (kind_ == ScanKind::Vertical)
        s.ProfileDredgeDepth = values_[3];
    else
        run.PayoutIncrement = values_[3];
    s.AutoProfileXYZ = generateXyz_ ? 1 : 0;
    s.AutoProfileBMP = generateBmp_ ? 1 : 0;
    s.AutoProfileSaveConfirmation = (confirmation_ && ConfirmationEnabled()) ? 1 : 0;
    s.AutoProfilePromptForScan = prompt_ ? 1 : 0;
}

void AutoProfileDialogModel::Rewrite(int32_t slot) {
    texts_[size_t(slot)] = ScanFieldText(values_[size_t(slot)]);
}

}  // namespace tarvisk
