#include "config/rotate_image_model.h"

#include <algorithm>
#include <cstdio>

#include "config/user_config.h"

namespace tarvisk {

RotateImageModel::RotateImageModel(SonarSettings& settings) : settings_(settings) {
    Show(settings_.RotateAngle);
}

void RotateImageModel::Show(float value) {
    value_ = value;
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f", static_cast<double>(value));
    text_ = text;
}

void RotateImageModel::SetText(const std::string& typed) {
    text_ = typed;
    value_ = static_cast<float>(ParseRealText(std::string_view(typed).substr(0, 5)));
}

void RotateImageModel::Spin(bool up) {
    Show(std::clamp(value_ + (up ? 0.1f : -0.1f), -180.0f, 180.0f));
}

void RotateImageModel::Default() {
    Show(0.0f);
}

DialogMessages RotateImageModel::Ok() {
    if (value_ >= -180.0f && value_ <= 180.0f) {
        settings_.RotateAngle = value_;
        return {};
    }
    Show(settings_.RotateAngle);
    return {{"Rotate Sonar Image", "Angle is out of range!\nUse -180.0 to 180.0 Deg"}};
}

}  // namespace tarvisk
