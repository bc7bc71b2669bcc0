#include "imaging/sonar_image.h"

namespace tarvisk {

void ClearImage(SonarImage& image) {
    image.pixels.fill(0);
}

}  // namespace tarvisk
