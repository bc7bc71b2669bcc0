#pragma once
// The window device context: the whole client area as an RGB image that any thread may draw
// into under its lock. The widget that shows it only copies finished pixels to the screen.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <functional>
#include <mutex>

#include "platform/draw_surface.h"

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

    // Set by the widget that shows the framebuffer; called from any thread.
    std::function<void(const Rect&)> onRepaint;

    // A copy of the pixels, taken under the lock.
    QImage Snapshot() const;
    const QFont& Font(TextFont font) const;

  private:
    QRgb Rgb(PaletteColour c) const;

    mutable std::recursive_mutex mutex_;
    Size size_;
    QImage image_;
    QImage logo_;
    PaletteTable palette_{};
    QFont defaultFont_, systemFont_, guiFont_;
    QFontMetrics defaultMetrics_, systemMetrics_, guiMetrics_;
};

}  // namespace tarvisk
