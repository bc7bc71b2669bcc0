#pragma once
// The window device context: the whole client area as an RGB image, drawn into on the window
// thread under its lock. It keeps the union of the areas asked to be repainted since the
// widget last took it, so a frame copies only what changed.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <functional>
#include <mutex>

#include "platform/dirty_rects.h"
#include "platform/draw_surface.h"
#include "platform/qt/stamp_cache.h"

namespace tarvisk {

class Framebuffer final : public DrawSurface {
  public:
    explicit Framebuffer(Size client);

    std::recursive_mutex& Mutex() override { return mutex_; }
    Size ClientSize() const override { return size_; }
    void FillRect(const Rect& r, PaletteColour fill) override;
    void DrawRect(const Rect& r, PaletteColour pen, PaletteColour fill) override;
    void DrawEllipse(const Rect& r, PaletteColour pen, PaletteColour fill) override;
    void DrawPie(const Rect& r, Point start, Point end, PaletteColour pen,
                 PaletteColour fill) override;
    void DrawLine(Point from, Point to, PaletteColour pen) override;
    void DrawPolygon(const Point* points, int32_t count, PaletteColour pen,
                     PaletteColour fill) override;
    void SetPixel(Point p, PaletteColour colour) override;
    void DrawText(int32_t x, int32_t y, std::string_view text, PaletteColour colour, TextFont font,
                  const Rect* clip) override;
    Size TextExtent(std::string_view text, TextFont font) const override;
    void DrawIndexedImage(Point topLeft, const uint8_t* pixels, int32_t width, int32_t height,
                          int32_t stride) override;
    void StretchCopy(const Rect& source, const Rect& target) override;
    void DrawLogo(const Rect& target) override;
    void SetPalette(const PaletteTable& palette) override;
    uint32_t PaletteRgb(PaletteColour colour) const override;
    void RequestRepaint(const Rect& area) override;

    // Set by the widget that shows the framebuffer; called from any thread with each area.
    std::function<void(const Rect&)> onRepaint;
    // Runs before the pixels are read on the window thread, so that a copy includes every
    // change recorded so far but not yet drawn.
    std::function<void()> beforeRead;

    // The areas asked to be repainted since the last call (empty when none).
    DirtyRects TakeDirty();
    // Copies `area` of the pixels with `painter` (the widget's paint event).
    void PaintArea(QPainter& painter, const QRect& area) const;

    // A copy of the pixels, taken under the lock.
    QImage Snapshot() const;
    const QFont& Font(TextFont font) const;

  private:
    QRgb Rgb(PaletteColour c) const;
    const QFontMetrics& Metrics(TextFont font) const;
    // Sets the stamp's pixels with its origin at (x, y), inside `clip` and the image.
    void Blit(const Stamp& stamp, int32_t x, int32_t y, QRgb pen, QRgb fill, const Rect* clip);
    // A stretch by the same whole factor both ways, both areas inside the image; false when
    // it is not one (the general stretch then runs).
    bool StretchWholeTimes(const Rect& source, const Rect& target);

    mutable std::recursive_mutex mutex_;
    std::mutex dirtyMutex_;
    DirtyRects dirty_;
    Size size_;
    QImage image_;
    QImage logo_;
    PaletteTable palette_{};
    QFont defaultFont_, systemFont_, guiFont_;
    QFontMetrics defaultMetrics_, systemMetrics_, guiMetrics_;
    mutable StampCache stamps_;
};

}  // namespace tarvisk
