#pragma once
// Drawing of the measurement cursor on the window: the box of readout lines under the
// magnifier, the line from the origin to the pointer and the two cross marks. All of it goes
// onto the window surface only, never into SonarImage, so copying the image to the window
// again is what erases the line and the marks.

#include <cstdint>

#include "display/panel_layout.h"
#include "imaging/measure_cursor.h"
#include "platform/draw_surface.h"

namespace tarvisk {

// Where the three readout lines stand: the logo's place under the magnifier, which the
// readouts take over while the pointer is over the image.
Rect MeasureReadoutBox(const PanelLayout& layout);

// Fills the box and writes the lines; without readouts (pointer outside the image) the logo
// comes back instead.
void DrawMeasureReadoutBox(DrawSurface& surface, const PanelLayout& layout,
                           const MeasureReadouts* readouts);

// Black over the light background of the reversed grey table, light grey elsewhere.
PaletteColour MeasureLineColour(int32_t colourTable);

// The one-pixel line; both ends lie inside the image.
void DrawMeasureLinePixels(DrawSurface& surface, Point from, Point to, PaletteColour colour);

// The small cross at the target and the larger one at the origin, kept inside the image.
void DrawMeasureMarkPixels(DrawSurface& surface, Point origin, Point target);

// The area a line and its marks can cover, for the repaint request.
Rect MeasureOverlayBounds(Point origin, Point target);

}  // namespace tarvisk
