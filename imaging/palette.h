#pragma once
// The 256 colours the window shows SonarImage and every overlay with. The logical palette and
// the image colour table are one table here, so they cannot disagree.

#include <array>
#include <cstdint>
#include <mutex>

#include "settings/shared_value.h"
#include "imaging/colour_tables.h"

namespace tarvisk {

class Palette {
  public:
    // Built with the Norm Hi entries, as the image is created before the first colour choice.
    Palette();

    // Replaces entries 0..118 with those of the choice (0..8). Returns 1 (there is no way for
    // an in-memory table to fail); the window then redraws the colour bar and repaints.
    int32_t ApplyColourTable(int32_t choice);

    // A consistent copy of all 256 colours (the window reads it on every repaint).
    ColourTable Colours() const;
    Rgb Colour(uint8_t index) const;

    // Counts colour-table changes, so a view can tell when to rebuild its own colour map.
    int32_t Version() const { return version_.Get(); }

  private:
    mutable std::mutex mutex_;
    ColourTable colours_;
    SharedInt version_{0};
};

// The colour bar beside the image: window columns 600..604, rows 2..509.
inline constexpr int32_t ColourBarLeft = 600;
inline constexpr int32_t ColourBarWidth = 5;
inline constexpr int32_t ColourBarTop = 2;
inline constexpr int32_t ColourBarRows = 508;

// The palette index of each bar row, top first (111 at the top down to 0).
const std::array<uint8_t, ColourBarRows>& ColourBarIndexes();

}  // namespace tarvisk
