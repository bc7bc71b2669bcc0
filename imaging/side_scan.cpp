#include "imaging/side_scan.h"

#include <algorithm>
#include <cstring>

#include "imaging/colour_tables.h"
#include "imaging/grid.h"

namespace tarvisk {

void DrawSideScanPixels(const SonarSettings& settings, const EchoLineArray& echoLine,
                        int32_t sampleCount, bool backwards, SonarImage& image) {
    const bool grid = settings.Grid != 0;
    const int32_t x0 = SideScanTrackColumn(settings.SSChannel);
    const bool port = x0 == 595;
    // Column 595 stays put: it is Port's track column.
    constexpr size_t scrolled = ImageWidth - 1;
    int32_t newRow = 0;
    if (backwards) {
        for (int32_t r = 1; r < ImageHeight; ++r)
            std::memcpy(image.Row(r - 1), image.Row(r), scrolled);
        newRow = ImageHeight - 1;
    } else {
        for (int32_t r = ImageHeight - 2; r >= 0; --r)
            std::memcpy(image.Row(r + 1), image.Row(r), scrolled);
    }
    if (grid) {
        for (int32_t y = 0; y < ImageHeight; ++y) {
            uint8_t& p = image.At(x0, y);
            p = WithoutGridBit(p);
            if ((y & 8) == 0)
                p = WithGridBit(p);
        }
    }
    uint8_t* row = image.Row(newRow);
    const int32_t n = std::clamp<int32_t>(sampleCount, 0, int32_t(EchoLineSize));
    for (int32_t i = 0; i < n; ++i) {
        const int32_t x = port ? x0 - i : x0 + i;
        if (x < 0 || x >= ImageWidth)
            continue;
        const int32_t value = std::min<int32_t>(echoLine[size_t(i)], EchoLevelMax);
        row[x] = KeepGrid(value, row[x], grid);
    }
    const int32_t blankEnd = port ? 95 : 94;
    for (int32_t x = 0; x <= blankEnd; ++x)
        row[x] = KeepGrid(0, row[x], grid) & GridFlagBit;
}

}  // namespace tarvisk
