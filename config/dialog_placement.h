#pragma once
// Where the setup dialogs open: centred over the image centre (301, 256) of the main window,
// one caption height lower, pushed back inside the screen.

#include <cstdint>

namespace tarvisk {

struct PlacementInput {
    int32_t windowLeft = 0, windowTop = 0;  // the main window's screen rectangle
    int32_t width = 0, height = 0;          // of the dialog
    int32_t captionHeight = 0, menuHeight = 0;
    int32_t screenWidth = 0, screenHeight = 0;
    int32_t extraDown = 0;  // the User Configuration dialog sits 8 pixels lower
};

struct DialogPosition {
    int32_t x = 0, y = 0;
};

DialogPosition PlaceOverImageCentre(const PlacementInput& in);

}  // namespace tarvisk
