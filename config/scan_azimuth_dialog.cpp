#include "config/scan_azimuth_dialog.h"

#include <cstdio>

#include "config/scan_profile_dialog.h"

namespace tarvisk {

namespace {

std::string DegreesText(float degrees) {
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f", double(degrees));
    return text;
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

float AzimuthStepsToDegrees(int32_t steps) {
    float degrees = float(steps * 0.3 - 180.0);
    if (degrees < 0.0f)
        degrees += 360.0f;
    if (degrees >= 360.0f)
        degrees -= 360.0f;
    return degrees;
}

int32_t AzimuthDegreesToSteps(float degrees) {
    double a = degrees;
    if (a >= 180.0)
        a -= 360.0;
    return Clamp(int32_t((a + 180.0) * 10.0 / 3.0 + 0.5), 0, 1199);
}

int32_t AzimuthIncrementSteps(float degrees) {
    return Clamp(int32_t(double(degrees) * 10.0 / 3.0 + 0.5), 1, 600);
}

void AutoAzimuthDialogModel::Open(const SonarSettings& s, const AutoAzimuthRunFlags& run) {
    enable_ = run.AutoAzimuthOn != 0;
    start_ = Clamp(s.AutoAzimuthStartAngle, 0, 1199);
    stop_ = Clamp(s.AutoAzimuthStopAngle, 0, 1199);
    increment_ = Clamp(s.AutoAzimuthIncAngle, 1, 600);
    generateXyz_ = s.AutoAzimuthXYZ != 0;
    Rewrite();
}

void AutoAzimuthDialogModel::EditChanged(Field field, std::string_view text) {
    texts_[field] = std::string(text);
}

void AutoAzimuthDialogModel::Scroll(Field field, bool up) {
    const int32_t d = up ? 1 : -1;
    if (field == IncrementField) {
        increment_ = Clamp(increment_ + d, 1, 600);
    } else {
        int32_t& steps = field == StartField ? start_ : stop_;
        steps += d;
        if (steps > 1199)
            steps = 0;
        if (steps < 0)
            steps = 1199;
    }
    Rewrite();
}

bool AutoAzimuthDialogModel::SetGenerateXyz(bool on) {
    const bool changed = on != generateXyz_;
    generateXyz_ = on;
    return changed;
}

void AutoAzimuthDialogModel::Defaults(AutoAzimuthRunFlags& run) {
    enable_ = false;
    run.AutoAzimuthOn = 0;
    run.AutoProfileRunning = 0;
    start_ = 600;
    stop_ = 500;
    increment_ = 100;
    generateXyz_ = true;
    Rewrite();
}

std::vector<AutoAzimuthDialogModel::Warning> AutoAzimuthDialogModel::Ok(SonarSettings& s,
                                                                        AutoAzimuthRunFlags& run) {
    const float start = ParseScanField(texts_[StartField], 6);
    const float stop = ParseScanField(texts_[StopField], 6);
    const float increment = ParseScanField(texts_[IncrementField], 6);
    std::vector<Warning> warnings;
    const char* caption = "Auto-Azimuth";
    // The lower bounds of the later fields are only looked at while all is well so far.
    if (start < 0.0f || start >= 359.8f)
        warnings.push_back({"Start Angle is out of range!\nUse 0 to 359.7 Degrees.", caption});
    if (stop >= 359.8f || (warnings.empty() && stop < 0.0f))
        warnings.push_back({"Stop Angle is out of range!\nUse 0 to 359.7 Degrees.", caption});
    if (increment > 180.0f || (warnings.empty() && increment < 0.3f))
        warnings.push_back(
            {"Increment Angle is out of range!\nUse 0.3 to 180.0 Degrees.", caption});
    if (!warnings.empty()) {
        Rewrite();
        return warnings;
    }
    run.AutoAzimuthOn = enable_ ? 1 : 0;
    run.AutoProfileRunning = enable_ ? 1 : 0;
    start_ = AzimuthDegreesToSteps(start);
    stop_ = AzimuthDegreesToSteps(stop);
    increment_ = AzimuthIncrementSteps(increment);
    s.AutoAzimuthStartAngle = start_;
    s.AutoAzimuthStopAngle = stop_;
    s.AutoAzimuthIncAngle = increment_;
    s.AutoAzimuthXYZ = generateXyz_ ? 1 : 0;
    // The profile scans' after-scan actions do not apply to an azimuth run.
    s.AutoProfileXYZ = 0;
    s.AutoProfileBMP = 0;
    s.AutoProfileSaveConfirmation = 0;
    s.AutoProfilePromptForScan = 0;
    accepted_ = true;
    return warnings;
}

void AutoAzimuthDialogModel::Rewrite() {
    texts_[StartField] = DegreesText(AzimuthStepsToDegrees(start_));
    texts_[StopField] = DegreesText(AzimuthStepsToDegrees(stop_));
    texts_[IncrementField] = DegreesText(float(increment_ * 0.3));
}

}  // namespace tarvisk
