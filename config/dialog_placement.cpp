#include "config/dialog_placement.h"

namespace tarvisk {

DialogPosition PlaceOverImageCentre(const PlacementInput& in) {
    DialogPosition p;
    p.x = in.windowLeft + 301 - in.width / 2;
    p.y = in.windowTop + 256 - in.height / 2 + in.captionHeight + in.extraDown;
    if (p.x + in.width >= in.screenWidth)
        p.x = in.screenWidth - in.width - 11;
    if (p.y + in.height + in.menuHeight >= in.screenHeight)
        p.y = in.screenHeight - in.height - in.captionHeight - 10;
    return p;
}

}  // namespace tarvisk
