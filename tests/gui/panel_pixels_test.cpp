// The panel drawn into a real framebuffer with real fonts: readouts, arrows, status box,
// activity mark and magnifier, checked by their pixels.

#include <gtest/gtest.h>

#include "app/sonar_system.h"
#include "display/status_panel.h"
#include "gui_support.h"
#include "platform/qt/framebuffer.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::CountColour;
using testing::Pixel;

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Black = 0x000000;
constexpr QRgb MidGrey = 0x8F8F8F;
constexpr QRgb DarkGrey = 0x474747;
constexpr QRgb LightGrey = 0xD7D7D7;
constexpr QRgb Green = 0x00B300;
constexpr QRgb YellowGreen = 0x8FB300;

PaletteTable PaletteOf(const Palette& p) {
    PaletteTable t{};
    const ColourTable c = p.Colours();
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = (uint32_t(c[i].r) << 16) | (c[i].g << 8) | c[i].b;
    return t;
}

struct PanelRig {
    PanelRig() {
        App();
        PanelMetrics m;
        m.ArrowWidth = m.ArrowHeight = 16;
        Framebuffer probe({8, 8});
        m.CharWidth = probe.TextExtent("X", TextFont::Default).width;
        m.LineHeight = probe.TextExtent("X", TextFont::Default).height;
        layout = ComputePanelLayout(FitPanelMetrics(m));
        surface = std::make_unique<Framebuffer>(layout.client);
        surface->SetPalette(PaletteOf(system.palette));
        panel = std::make_unique<StatusPanel>(system.settings, *surface, layout, system.link.Shot,
                                              system.image, system.imaging);
        panel->PaintAll();
    }
    QImage Shot() const { return surface->Snapshot(); }
    static QRect Q(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
    QRect Box(ReadoutId id) const {
        const Rect& b = layout.readouts[id].box;
        return QRect(b.left + 1, b.top + 1, b.Width() - 1, b.Height() - 1);
    }

    SonarSystem system;
    PanelLayout layout;
    std::unique_ptr<Framebuffer> surface;
    std::unique_ptr<StatusPanel> panel;
};

TEST(PanelPixels, WholePaintLaysOutTheFixedElements) {
    PanelRig rig;
    const QImage s = rig.Shot();
    EXPECT_EQ(Pixel(s, 790, 300), DarkGrey);  // background
    EXPECT_EQ(Pixel(s, 2, 2), LightGrey);     // image frame
    EXPECT_EQ(Pixel(s, 600, 510), LightGrey);
    EXPECT_EQ(Pixel(s, 300, 20), Black);  // empty image, no grid on a clear image
    const Rect& box = rig.layout.readouts[GainReadout].box;
    EXPECT_EQ(Pixel(s, box.left, box.top), Black);  // frame
    EXPECT_EQ(Pixel(s, box.left + 1, box.top + 1), MidGrey);
    // Every readout shows its value in white over a black shadow.
    for (int i = 0; i < ReadoutCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GT(CountColour(s, rig.Box(ReadoutId(i)), White), 10);
        EXPECT_GT(CountColour(s, rig.Box(ReadoutId(i)), Black), 10);
    }
    EXPECT_GT(CountColour(s, PanelRig::Q(rig.layout.frequencyLive), Green), 10);
    EXPECT_GT(CountColour(s, PanelRig::Q(rig.layout.frequencyLive), YellowGreen), 5);  // (Auto)
    int bright = 0;  // the logo's lettering
    for (int y = rig.layout.logo.top; y < rig.layout.logo.bottom; ++y)
        for (int x = rig.layout.logo.left; x < rig.layout.logo.right; ++x)
            if (qRed(s.pixel(x, y)) > 200 && qGreen(s.pixel(x, y)) > 200 &&
                qBlue(s.pixel(x, y)) > 200)
                ++bright;
    EXPECT_GT(bright, 50);
}

TEST(PanelPixels, ReadoutRedrawsWhenItsValueChanges) {
    PanelRig rig;
    const QImage before = rig.Shot().copy(rig.Box(GainReadout));
    rig.system.settings.Gain = 40;
    rig.panel->DrawReadout(GainReadout);
    const QImage after = rig.Shot().copy(rig.Box(GainReadout));
    EXPECT_NE(before, after);
    // Drawing the same value again gives the same pixels: the box is refilled first.
    rig.panel->DrawReadout(GainReadout);
    EXPECT_EQ(after, rig.Shot().copy(rig.Box(GainReadout)));
}

TEST(PanelPixels, ArrowsReleasedPressedAndInactive) {
    PanelRig rig;
    const Rect up = rig.layout.readouts[SpeedReadout].upArrow;
    const QRect area = PanelRig::Q(up);
    auto inner = [](const Rect& r) { return PanelRig::Q(r).adjusted(2, 2, -2, -2); };
    QImage s = rig.Shot();
    EXPECT_EQ(Pixel(s, up.left, up.top), White);     // raised: light edge top left
    EXPECT_GT(CountColour(s, inner(up), Black), 8);  // black triangle
    const QImage released = s.copy(area);

    rig.panel->DrawReadoutArrow(SpeedReadout, true, true);
    s = rig.Shot();
    EXPECT_EQ(Pixel(s, up.left, up.top), MidGrey);  // sunken
    EXPECT_NE(released, s.copy(area));

    // Side scan greys the Speed and Sector arrows even live; Gain stays active.
    rig.system.settings.GridMode = SS;
    rig.panel->DrawAllArrows();
    s = rig.Shot();
    EXPECT_EQ(CountColour(s, inner(up), Black), 0);
    EXPECT_EQ(CountColour(s, inner(rig.layout.readouts[SectorReadout].downArrow), Black), 0);
    EXPECT_GT(CountColour(s, inner(rig.layout.readouts[GainReadout].upArrow), Black), 8);

    // Playback greys them all.
    rig.system.settings.GridMode = Polar;
    rig.system.settings.RunMode = 1;
    rig.panel->DrawAllArrows();
    s = rig.Shot();
    for (int i = 0; i < ReadoutCount; ++i)
        EXPECT_EQ(CountColour(s, inner(rig.layout.readouts[i].upArrow), Black), 0) << i;
}

TEST(PanelPixels, StatusBoxShowsAndErasesAndActivityMarkBlinks) {
    PanelRig rig;
    const QRect strip(150, 512, 300, 20);
    rig.panel->DrawStatusBox("No Data at COM1", WhiteColour, PanelBrightRed, PanelLightGrey);
    QImage s = rig.Shot();
    const QRgb red = rig.surface->PaletteRgb(PanelBrightRed);
    EXPECT_GT(CountColour(s, strip, red), 100);
    EXPECT_GT(CountColour(s, strip, White), 20);
    rig.panel->DrawStatusBox("No Data at COM1", PanelDarkGrey, PanelDarkGrey, PanelDarkGrey);
    s = rig.Shot();
    EXPECT_EQ(CountColour(s, strip, red), 0);
    EXPECT_EQ(CountColour(s, strip, White), 0);
    // The erase brings the grid label back.
    EXPECT_GT(CountColour(s, QRect(267, 514, 69, 12), MidGrey), 100);

    const QRect mark = PanelRig::Q(rig.layout.activityArea);
    rig.panel->ToggleActivityMark(true);
    EXPECT_GT(CountColour(rig.Shot(), mark, White), 0);
    rig.panel->ToggleActivityMark(true);
    EXPECT_EQ(CountColour(rig.Shot(), mark, White), 0);
}

TEST(PanelPixels, ImageCopyAndMagnifier) {
    PanelRig rig;
    // A diagonal pattern of levels so every magnified pixel has a known source.
    for (int y = 0; y < ImageHeight; ++y)
        for (int x = 0; x < ImageWidth; ++x)
            rig.system.image.At(x, y) = uint8_t((x + 2 * y) % 100);
    rig.panel->CopyImageToWindow();
    rig.panel->RefreshMagnifier({10, 600});  // clamped to (43, 469)
    EXPECT_EQ(rig.panel->MagnifierCentre(), (Point{43, 469}));
    const QImage s = rig.Shot();
    const Rect& m = rig.layout.magnifier;
    EXPECT_EQ(Pixel(s, 3, 3), rig.surface->PaletteRgb(0));
    EXPECT_EQ(Pixel(s, 10 + 3, 20 + 3), rig.surface->PaletteRgb((10 + 40) % 100));
    for (auto [dx, dy] : {std::pair{0, 0}, {1, 1}, {77, 0}, {40, 77}, {13, 52}}) {
        const QRgb source = Pixel(s, 4 + dx, 430 + dy);  // window area from (43-39, 469-39)
        EXPECT_EQ(Pixel(s, m.left + 2 * dx, m.top + 2 * dy), source);
        EXPECT_EQ(Pixel(s, m.left + 2 * dx + 1, m.top + 2 * dy + 1), source);
    }
}

TEST(PanelPixels, UserTextAndDateFields) {
    PanelRig rig;
    const QRect user = PanelRig::Q(rig.layout.userTextField).adjusted(1, 1, -1, -1);
    rig.system.settings.UserText.Set("");
    rig.panel->DrawUserText();
    EXPECT_EQ(CountColour(rig.Shot(), user, Black), 0);
    rig.system.settings.UserText.Set("Dam wall survey");
    rig.panel->DrawUserText();
    EXPECT_GT(CountColour(rig.Shot(), user, Black), 20);

    const QRect date = PanelRig::Q(rig.layout.dateTimeField).adjusted(1, 1, -1, -1);
    rig.panel->DrawDateTime("08-DEC-2026  16:04:05");
    EXPECT_GT(CountColour(rig.Shot(), date, Black), 20);
    rig.panel->PaintAll();  // a repaint keeps the last text
    EXPECT_GT(CountColour(rig.Shot(), date, Black), 20);
    rig.panel->DrawDateTime({});
    EXPECT_EQ(CountColour(rig.Shot(), date, Black), 0);
}

}  // namespace
}  // namespace tarvisk
