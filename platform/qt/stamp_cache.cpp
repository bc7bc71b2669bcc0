#include "platform/qt/stamp_cache.h"

#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstring>

namespace tarvisk {

namespace {
// Colours no drawing could produce by itself: the scratch background and the two marks.
constexpr QRgb Background = 0xFF000000u;
constexpr QRgb PenMark = 0xFFFF0000u;
constexpr QRgb FillMark = 0xFF00FF00u;
// Room around a drawing for pixels outside its nominal box (pens on the edge, overhanging
// glyphs).
constexpr int32_t Pad = 8;
}  // namespace

QImage& StampCache::Scratch(int32_t width, int32_t height) {
    if (scratch_.width() < width || scratch_.height() < height)
        scratch_ = QImage(std::max(width, scratch_.width()), std::max(height, scratch_.height()),
                          QImage::Format_RGB32);
    scratch_.fill(Background);
    return scratch_;
}

void StampCache::ReadBack(const QRect& box, int32_t originX, int32_t originY, Stamp& stamp) {
    int32_t minX = box.right() + 1, minY = box.bottom() + 1, maxX = box.left() - 1,
            maxY = box.top() - 1;
    for (int32_t y = box.top(); y <= box.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch_.constScanLine(y));
        for (int32_t x = box.left(); x <= box.right(); ++x) {
            if (row[x] != Background) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    if (maxX < minX) {
        stamp.width = stamp.height = 0;
        stamp.mask.clear();
        return;
    }
    stamp.left = minX - originX;
    stamp.top = minY - originY;
    stamp.width = maxX - minX + 1;
    stamp.height = maxY - minY + 1;
    stamp.mask.assign(static_cast<size_t>(stamp.width) * static_cast<size_t>(stamp.height), 0);
    for (int32_t y = minY; y <= maxY; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch_.constScanLine(y));
        uint8_t* out = stamp.mask.data() + static_cast<size_t>(y - minY) * stamp.width;
        for (int32_t x = minX; x <= maxX; ++x)
            out[x - minX] = row[x] == Background ? 0 : row[x] == FillMark ? 2 : 1;
    }
}

const Stamp* StampCache::Ellipse(int32_t width, int32_t height, bool pen, bool fill) {
    if (width <= 0 || height <= 0 || width > MaxEllipseSide || height > MaxEllipseSide)
        return nullptr;
    for (const EllipseEntry& e : ellipses_)
        if (e.width == width && e.height == height && e.pen == pen && e.fill == fill)
            return &e.stamp;
    EllipseEntry& entry = ellipses_.emplace_back();
    entry.width = width;
    entry.height = height;
    entry.pen = pen;
    entry.fill = fill;
    QImage& scratch = Scratch(width + 2 * Pad, height + 2 * Pad);
    {
        QPainter p(&scratch);
        p.setPen(pen ? QPen(QColor(PenMark)) : QPen(Qt::NoPen));
        p.setBrush(fill ? QBrush(QColor(FillMark)) : QBrush(Qt::NoBrush));
        p.drawEllipse(QRect(Pad, Pad, width - 1, height - 1));
    }
    ReadBack(QRect(0, 0, width + 2 * Pad, height + 2 * Pad), Pad, Pad, entry.stamp);
    return &entry.stamp;
}

const Stamp* StampCache::Text(std::string_view text, const QFont& font, const QFontMetrics& metrics,
                              int32_t fontKey) {
    if (text.size() > MaxTextLength)
        return nullptr;
    ++useClock_;
    TextEntry* oldest = &texts_[0];
    for (TextEntry& e : texts_) {
        if (e.fontKey == fontKey && e.length == text.size() &&
            std::memcmp(e.text.data(), text.data(), text.size()) == 0) {
            e.lastUse = useClock_;
            return &e.stamp;
        }
        if (e.lastUse < oldest->lastUse)
            oldest = &e;
    }
    TextEntry& entry = *oldest;
    entry.fontKey = fontKey;
    entry.length = text.size();
    std::memcpy(entry.text.data(), text.data(), text.size());
    entry.lastUse = useClock_;
    const QString qtext = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const int32_t advance = metrics.horizontalAdvance(qtext);
    const int32_t width = advance + 4 * Pad;
    const int32_t height = metrics.height() + 2 * Pad;
    QImage& scratch = Scratch(width, height);
    {
        QPainter p(&scratch);
        p.setFont(font);
        p.setPen(QColor(PenMark));
        p.drawText(2 * Pad, Pad + metrics.ascent(), qtext);
    }
    ReadBack(QRect(0, 0, width, height), 2 * Pad, Pad, entry.stamp);
    entry.stamp.extent = {advance, metrics.height()};
    return &entry.stamp;
}

}  // namespace tarvisk
