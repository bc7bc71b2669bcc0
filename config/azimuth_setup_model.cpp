#include "config/azimuth_setup_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "config/ini_file.h"

namespace tarvisk {

AzimuthSetupModel::AzimuthSetupModel(int32_t azimuthAngle)
    : steps_(std::clamp(azimuthAngle, 0, 1199)) {}

std::string AzimuthSetupModel::Text() const {
    double a = steps_ * 0.3 - 180.0;
    if (a < 0.0)
        a += 360.0;
    if (a >= 360.0)
        a = 0.0;
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f", a);
    return text;
}

void AzimuthSetupModel::SpinUp() {
    steps_ = steps_ >= 1199 ? 0 : steps_ + 1;
}

void AzimuthSetupModel::SpinDown() {
    steps_ = steps_ <= 0 ? 1199 : steps_ - 1;
}

bool AzimuthSetupModel::Ok(std::string_view fieldText, std::string* warning) {
    double a = ParseIniFloat(fieldText.substr(0, 6));  // a point whatever the locale
    if (!(a >= 0.0 && a < 359.8)) {
        if (warning)
            *warning = AzimuthSetupWarning;
        return false;
    }
    if (a >= 180.0)
        a -= 360.0;
    const int32_t n = static_cast<int32_t>((a + 180.0) * 3.3333333333333334566 + 0.5);
    steps_ = std::clamp(n, 0, 1199);
    return true;
}

}  // namespace tarvisk
