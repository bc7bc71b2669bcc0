#include "platform/qt/framebuffer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPolygon>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tarvisk {

namespace {

QFont MakeFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QString ToQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Framebuffer::Framebuffer(Size client)
    : size_(client),
      image_(client.width, client.height, QImage::Format_RGB32),
      defaultFont_(MakeFont(13, true)),
      systemFont_(MakeFont(11, false)),
      guiFont_(MakeFont(10, false)),
      defaultMetrics_(defaultFont_),
      systemMetrics_(systemFont_),
      guiMetrics_(guiFont_) {
    image_.fill(Qt::black);
    logo_.load(QStringLiteral(":/tarvisk/logo.png"));
    for (size_t i = 0; i < palette_.size(); ++i)
        palette_[i] = 0;
}

const QFont& Framebuffer::Font(TextFont font) const {
    switch (font) {
        case TextFont::System:
            return systemFont_;
        case TextFont::Gui:
            return guiFont_;
        default:
            return defaultFont_;
    }
}

QRgb Framebuffer::Rgb(PaletteColour c) const {
    if (c == WhiteColour)
        return qRgb(255, 255, 255);
    return 0xFF000000u | palette_[static_cast<size_t>(std::clamp(c, 0, 255))];
}

uint32_t Framebuffer::PaletteRgb(PaletteColour c) const {
    std::lock_guard lock(mutex_);
    return Rgb(c) & 0xFFFFFFu;
}

void Framebuffer::SetPalette(const PaletteTable& palette) {
    std::lock_guard lock(mutex_);
    palette_ = palette;
}

void Framebuffer::FillRect(const Rect& r, PaletteColour fill) {
    if (fill == NoColour)
        return;
    const int32_t l = std::max(r.left, 0), t = std::max(r.top, 0);
    const int32_t rr = std::min(r.right, size_.width), b = std::min(r.bottom, size_.height);
    const QRgb c = Rgb(fill);
    for (int32_t y = t; y < b; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + l, row + std::max(l, rr), c);
    }
}

void Framebuffer::DrawRect(const Rect& r, PaletteColour pen, PaletteColour fill) {
    if (pen == NoColour) {
        FillRect(r, fill);
        return;
    }
    FillRect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, fill);
    FillRect({r.left, r.top, r.right, r.top + 1}, pen);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, pen);
    FillRect({r.left, r.top, r.left + 1, r.bottom}, pen);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, pen);
}

void Framebuffer::Blit(const Stamp& stamp, int32_t x, int32_t y, QRgb pen, QRgb fill,
                       const Rect* clip) {
    Rect bounds{0, 0, size_.width, size_.height};
    if (clip)
        bounds = {std::max(bounds.left, clip->left), std::max(bounds.top, clip->top),
                  std::min(bounds.right, clip->right), std::min(bounds.bottom, clip->bottom)};
    const int32_t left = x + stamp.left, top = y + stamp.top;
    const int32_t x0 = std::max(left, bounds.left), x1 = std::min(left + stamp.width, bounds.right);
    const int32_t y0 = std::max(top, bounds.top), y1 = std::min(top + stamp.height, bounds.bottom);
    for (int32_t py = y0; py < y1; ++py) {
        QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(py));
        const uint8_t* mask = stamp.mask.data() + static_cast<ptrdiff_t>(py - top) * stamp.width;
        for (int32_t px = x0; px < x1; ++px) {
            const uint8_t m = mask[px - left];
            if (m != 0)
                row[px] = m == 2 ? fill : pen;
        }
    }
}

void Framebuffer::DrawEllipse(const Rect& r, PaletteColour pen, PaletteColour fill) {
    std::lock_guard lock(mutex_);
    if (const Stamp* stamp =
            stamps_.Ellipse(r.Width(), r.Height(), pen != NoColour, fill != NoColour)) {
        Blit(*stamp, r.left, r.top, pen == NoColour ? 0 : Rgb(pen),
             fill == NoColour ? 0 : Rgb(fill), nullptr);
        return;
    }
    QPainter p(&image_);
    p.setPen(pen == NoColour ? QPen(Qt::NoPen) : QPen(QColor(Rgb(pen))));
    p.setBrush(fill == NoColour ? QBrush(Qt::NoBrush) : QBrush(QColor(Rgb(fill))));
    p.drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
}

void Framebuffer::DrawPie(const Rect& r, Point start, Point end, PaletteColour pen,
                          PaletteColour fill) {
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    auto angle = [&](Point q) { return std::atan2(cy - q.y, q.x - cx) * 180.0 / 3.141592654; };
    const double a0 = angle(start);
    double span = angle(end) - a0;
    while (span <= 0.0)
        span += 360.0;
    QPainter p(&image_);
    p.setPen(pen == NoColour ? QPen(Qt::NoPen) : QPen(QColor(Rgb(pen))));
    p.setBrush(fill == NoColour ? QBrush(Qt::NoBrush) : QBrush(QColor(Rgb(fill))));
    p.drawPie(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1), static_cast<int>(a0 * 16),
              static_cast<int>(span * 16));
}

void Framebuffer::DrawLine(Point from, Point to, PaletteColour pen) {
    // GDI lines leave out their last point.
    QPainter p(&image_);
    p.setPen(QColor(Rgb(pen)));
    if (from == to)
        return;
    const int32_t dx = to.x - from.x, dy = to.y - from.y;
    const int32_t steps = std::max(std::abs(dx), std::abs(dy));
    const Point last{from.x + (steps > 1 ? dx * (steps - 1) / steps : 0),
                     from.y + (steps > 1 ? dy * (steps - 1) / steps : 0)};
    p.drawLine(from.x, from.y, last.x, last.y);
}

void Framebuffer::DrawPolygon(const Point* points, int32_t count, PaletteColour pen,
                              PaletteColour fill) {
    QPolygon poly;
    for (int32_t i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    QPainter p(&image_);
    p.setPen(pen == NoColour ? QPen(Qt::NoPen) : QPen(QColor(Rgb(pen))));
    p.setBrush(fill == NoColour ? QBrush(Qt::NoBrush) : QBrush(QColor(Rgb(fill))));
    p.drawPolygon(poly);
}

void Framebuffer::SetPixel(Point q, PaletteColour colour) {
    if (q.x < 0 || q.y < 0 || q.x >= size_.width || q.y >= size_.height)
        return;
    reinterpret_cast<QRgb*>(image_.scanLine(q.y))[q.x] = Rgb(colour);
}

const QFontMetrics& Framebuffer::Metrics(TextFont font) const {
    return font == TextFont::System ? systemMetrics_
           : font == TextFont::Gui  ? guiMetrics_
                                    : defaultMetrics_;
}

void Framebuffer::DrawText(int32_t x, int32_t y, std::string_view text, PaletteColour colour,
                           TextFont font, const Rect* clip) {
    std::lock_guard lock(mutex_);
    if (const Stamp* stamp =
            stamps_.Text(text, Font(font), Metrics(font), static_cast<int32_t>(font))) {
        Blit(*stamp, x, y, Rgb(colour), 0, clip);
        return;
    }
    QPainter p(&image_);
    if (clip)
        p.setClipRect(QRect(clip->left, clip->top, clip->Width(), clip->Height()));
    p.setFont(Font(font));
    p.setPen(QColor(Rgb(colour)));
    p.drawText(x, y + Metrics(font).ascent(), ToQString(text));
}

Size Framebuffer::TextExtent(std::string_view text, TextFont font) const {
    std::lock_guard lock(mutex_);
    if (const Stamp* stamp =
            stamps_.Text(text, Font(font), Metrics(font), static_cast<int32_t>(font)))
        return stamp->extent;
    const QFontMetrics& m = Metrics(font);
    return {m.horizontalAdvance(ToQString(text)), m.height()};
}

void Framebuffer::DrawIndexedImage(Point topLeft, const uint8_t* pixels, int32_t width,
                                   int32_t height, int32_t stride) {
    const int32_t w = std::min(width, size_.width - topLeft.x);
    const int32_t h = std::min(height, size_.height - topLeft.y);
    for (int32_t y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(topLeft.y + y)) + topLeft.x;
        const uint8_t* src = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int32_t x = 0; x < w; ++x)
            row[x] = 0xFF000000u | palette_[src[x]];
    }
}

bool Framebuffer::StretchWholeTimes(const Rect& source, const Rect& target) {
    const int32_t k = target.Width() / source.Width();
    const bool whole =
        k >= 1 && target.Width() == k * source.Width() && target.Height() == k * source.Height();
    auto inside = [this](const Rect& r) {
        return r.left >= 0 && r.top >= 0 && r.right <= size_.width && r.bottom <= size_.height;
    };
    const bool apart = source.right <= target.left || target.right <= source.left ||
                       source.bottom <= target.top || target.bottom <= source.top;
    if (!whole || !apart || !inside(source) || !inside(target))
        return false;
    // Each source row is widened once and the copies below it are whole-row copies.
    const size_t rowBytes = size_t(target.Width()) * sizeof(QRgb);
    for (int32_t sy = source.top; sy < source.bottom; ++sy) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image_.constScanLine(sy)) + source.left;
        const int32_t y = target.top + (sy - source.top) * k;
        QRgb* first = reinterpret_cast<QRgb*>(image_.scanLine(y)) + target.left;
        for (int32_t x = 0; x < source.Width(); ++x)
            std::fill_n(first + x * k, k, src[x]);
        for (int32_t i = 1; i < k; ++i)
            std::memcpy(reinterpret_cast<QRgb*>(image_.scanLine(y + i)) + target.left, first,
                        rowBytes);
    }
    return true;
}

void Framebuffer::StretchCopy(const Rect& source, const Rect& target) {
    if (source.Width() <= 0 || source.Height() <= 0 || target.Width() <= 0)
        return;
    // The magnifier doubles its source: the common case, done without the general mapping.
    if (StretchWholeTimes(source, target))
        return;
    // The source column of each target column, worked out once rather than per pixel (the
    // magnifier is stretched on every shot). Columns off the image are marked -1.
    const int32_t x0 = std::max(target.left, 0), x1 = std::min(target.right, size_.width);
    if (x1 <= x0)
        return;
    thread_local std::vector<int32_t> columns;
    columns.resize(static_cast<size_t>(x1 - x0));
    for (int32_t x = x0; x < x1; ++x) {
        const int32_t sx = source.left + (x - target.left) * source.Width() / target.Width();
        columns[static_cast<size_t>(x - x0)] = sx >= 0 && sx < size_.width ? sx : -1;
    }
    for (int32_t y = target.top; y < target.bottom; ++y) {
        if (y < 0 || y >= size_.height)
            continue;
        const int32_t sy = source.top + (y - target.top) * source.Height() / target.Height();
        if (sy < 0 || sy >= size_.height)
            continue;
        const QRgb* src = reinterpret_cast<const QRgb*>(image_.constScanLine(sy));
        QRgb* dst = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int32_t x = x0; x < x1; ++x) {
            const int32_t sx = columns[static_cast<size_t>(x - x0)];
            if (sx >= 0)
                dst[x] = src[sx];
        }
    }
}

void Framebuffer::DrawLogo(const Rect& target) {
    if (logo_.isNull())
        return;
    QPainter p(&image_);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(target.left, target.top, target.Width(), target.Height()), logo_);
}

void Framebuffer::RequestRepaint(const Rect& area) {
    const Rect clipped{std::max(area.left, 0), std::max(area.top, 0),
                       std::min(area.right, size_.width), std::min(area.bottom, size_.height)};
    {
        std::lock_guard lock(dirtyMutex_);
        dirty_.Add(clipped);
    }
    if (onRepaint)
        onRepaint(area);
}

DirtyRects Framebuffer::TakeDirty() {
    std::lock_guard lock(dirtyMutex_);
    const DirtyRects taken = dirty_;
    dirty_.Clear();
    return taken;
}

void Framebuffer::PaintArea(QPainter& painter, const QRect& area) const {
    std::lock_guard lock(mutex_);
    painter.drawImage(area.topLeft(), image_, area);
}

QImage Framebuffer::Snapshot() const {
    if (beforeRead && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        beforeRead();
    std::lock_guard lock(mutex_);
    return image_.copy();
}

}  // namespace tarvisk
