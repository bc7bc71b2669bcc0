// Stamped shapes and text must set exactly the pixels QPainter sets at the same place: the
// window's pixel tests and screen captures rely on it.

#include <gtest/gtest.h>

#include <QPainter>

#include "gui_support.h"
#include "platform/qt/framebuffer.h"

namespace tarvisk {
namespace {

constexpr Size Client{96, 64};

// The framebuffer with every palette entry its own colour, so colours can be told apart.
std::unique_ptr<Framebuffer> MakeSurface() {
    auto surface = std::make_unique<Framebuffer>(Client);
    PaletteTable palette{};
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint32_t(i) * 0x010203u;
    surface->SetPalette(palette);
    surface->FillRect({0, 0, Client.width, Client.height}, 1);
    return surface;
}

QImage Painted(const std::function<void(QPainter&)>& draw, QRgb background) {
    QImage image(Client.width, Client.height, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    draw(p);
    return image;
}

TEST(Stamps, EllipsesSetThePainterPixelsAtEveryPlaceAndSize) {
    testing::App();
    auto surface = MakeSurface();
    const QRgb background = surface->Snapshot().pixel(0, 0);
    const QRgb pen = 0xFF000000u | (7u * 0x010203u), fill = 0xFF000000u | (9u * 0x010203u);
    for (int32_t w = 1; w <= 20; w += 3)
        for (int32_t h = 1; h <= 20; h += 4)
            for (const auto& [hasPen, hasFill] :
                 {std::pair{true, true}, {true, false}, {false, true}})
                for (const Point at : {Point{0, 0}, Point{13, 7}, Point{85, 50}, Point{-4, 3}}) {
                    surface->FillRect({0, 0, Client.width, Client.height}, 1);
                    const Rect r{at.x, at.y, at.x + w, at.y + h};
                    surface->DrawEllipse(r, hasPen ? 7 : NoColour, hasFill ? 9 : NoColour);
                    const QImage want = Painted(
                        [&](QPainter& p) {
                            p.setPen(hasPen ? QPen(QColor(pen)) : QPen(Qt::NoPen));
                            p.setBrush(hasFill ? QBrush(QColor(fill)) : QBrush(Qt::NoBrush));
                            p.drawEllipse(QRect(r.left, r.top, w - 1, h - 1));
                        },
                        background);
                    ASSERT_EQ(surface->Snapshot(), want)
                        << w << "x" << h << " at " << at.x << "," << at.y << " pen " << hasPen
                        << " fill " << hasFill;
                }
}

TEST(Stamps, TextSetsThePainterPixelsInEveryFontClippedAsThePainterClips) {
    testing::App();
    auto surface = MakeSurface();
    const QRgb background = surface->Snapshot().pixel(0, 0);
    const QRgb colour = 0xFF000000u | (5u * 0x010203u);
    const Rect clip{10, 4, 60, 20};
    for (TextFont font : {TextFont::Default, TextFont::System, TextFont::Gui})
        for (const char* text : {"*", "Range", "50 M", "09/12/2026 03:40:08", "Wy,gjq", ""})
            for (const Point at : {Point{0, 0}, Point{17, 9}, Point{50, 40}, Point{-3, -2}})
                for (bool clipped : {false, true}) {
                    surface->FillRect({0, 0, Client.width, Client.height}, 1);
                    surface->DrawText(at.x, at.y, text, 5, font, clipped ? &clip : nullptr);
                    const QFont& qfont = surface->Font(font);
                    const QImage want = Painted(
                        [&](QPainter& p) {
                            if (clipped)
                                p.setClipRect(
                                    QRect(clip.left, clip.top, clip.Width(), clip.Height()));
                            p.setFont(qfont);
                            p.setPen(QColor(colour));
                            p.drawText(at.x, at.y + QFontMetrics(qfont).ascent(),
                                       QString::fromLatin1(text));
                        },
                        background);
                    ASSERT_EQ(surface->Snapshot(), want)
                        << '"' << text << "\" font " << int(font) << " at " << at.x << "," << at.y
                        << (clipped ? " clipped" : "");
                    const QFontMetrics metrics(qfont);
                    EXPECT_EQ(surface->TextExtent(text, font),
                              (Size{metrics.horizontalAdvance(QString::fromLatin1(text)),
                                    metrics.height()}));
                }
}

}  // namespace
}  // namespace tarvisk
