// The panel drawn into a real framebuffer with real fonts: readouts, arrows, status box,
// activity mark and magnifier, checked by their pixels.

#include <gtest/gtest.h>

#include "display/status_panel.h"
#include "gui_support.h"
#include "platform/qt/framebuffer.h"
#include "ui/sonar_system.h"

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
    // Its right and bottom edges are columns 599 and row 509: the colour bar starts at 600
    // and the strip under the image at 510 keeps the background.
    EXPECT_EQ(Pixel(s, 599, 300), LightGrey);
    EXPECT_EQ(Pixel(s, 300, 509), LightGrey);
    EXPECT_EQ(Pixel(s, 599, 509), LightGrey);
    EXPECT_EQ(Pixel(s, 300, 510), DarkGrey);
    EXPECT_EQ(Pixel(s, 600, 510), DarkGrey);
    EXPECT_NE(Pixel(s, 600, 300), LightGrey);  // the colour bar's own pixel
    EXPECT_EQ(Pixel(s, 300, 20), Black);       // empty image, no grid on a clear image
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

    // A reply from the drive erases its longer message through the shorter no-data text.
    rig.panel->DrawStatusBox("Detecting Azimuth Drive...", WhiteColour, PanelStatusFill,
                             PanelLightGrey);
    EXPECT_GT(CountColour(rig.Shot(), strip, White), 40);
    rig.panel->DrawStatusBox("No Data at COM1", PanelDarkGrey, PanelDarkGrey, PanelDarkGrey);
    s = rig.Shot();
    EXPECT_EQ(CountColour(s, strip, White), 0);
    EXPECT_EQ(CountColour(s, strip, rig.surface->PaletteRgb(PanelStatusFill)), 0);

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

namespace tarvisk {
namespace {

constexpr QRgb Red = 0xFF0000;

int CountRed(const QImage& s, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qRed(s.pixel(x, y)) > 200 && qGreen(s.pixel(x, y)) < 60)
                ++n;
    return n;
}

TEST(PanelFaults, NewColourTableReachesTheScreenBar) {
    PanelRig rig;
    std::vector<Rect> repaints;
    rig.surface->onRepaint = [&](const Rect& r) { repaints.push_back(r); };
    rig.system.palette.ApplyColourTable(3);
    rig.surface->SetPalette(PaletteOf(rig.system.palette));
    rig.panel->DrawColourBar();
    bool barRepainted = false;
    for (const Rect& r : repaints)
        barRepainted = barRepainted || (r.left <= 601 && r.right >= 604 && r.Height() > 400);
    EXPECT_TRUE(barRepainted);
}

// The hanging profile view turns the picture half round: a 90 degree sector ahead is drawn
// pointing down on the dial, and a bearing to starboard stays on the right.
TEST(PanelFaults, HangingViewDialFacesDownAndMarkersStayOnTheirSide) {
    PanelRig rig;
    SonarSettings& s = rig.system.settings;
    s.GridMode = Sector;
    s.SectorSize = 90;
    s.Train = 0;
    s.ProfileGrid = 1;
    s.ZeroDown = 0;
    rig.panel->DrawSectorDial();
    const int cx = rig.layout.XC, cy = rig.layout.YC, r = rig.layout.DialRadius;
    QImage shot = rig.Shot();
    const QRect upper(cx - r, cy - r, 2 * r + 1, r - 4);
    const QRect lower(cx - r, cy + 5, 2 * r + 1, r - 4);
    EXPECT_EQ(CountRed(shot, upper), 0);
    EXPECT_GT(CountRed(shot, lower), 20);

    rig.system.link.Shot.HeadAngleDegrees = 90.0f;
    rig.panel->DrawDialMarkers();
    shot = rig.Shot();
    const int out = r + 8;
    EXPECT_GT(CountRed(shot, QRect(cx + out - 4, cy - 4, 9, 9)), 10);
    EXPECT_EQ(CountRed(shot, QRect(cx - out - 4, cy - 4, 9, 9)), 0);
}

TEST(PanelFaults, PlayedSectorAndTrainMoveTheDial) {
    PanelRig rig;
    SonarSettings& s = rig.system.settings;
    s.RunMode = 1;
    s.GridMode = Sector;
    s.SectorSize = 90;
    s.Train = 0;
    rig.panel->PlaybackRefresh();
    const int32_t ahead = rig.panel->Limits().first;
    s.Train = 90;  // as a played record leaves it
    rig.panel->PlaybackRefresh();
    EXPECT_NE(rig.panel->Limits().first, ahead);
}

TEST(PanelFaults, GridLabelWaitsWhileTheStatusLineSpeaks) {
    PanelRig rig;
    SharedInt pending{1};
    rig.panel->WatchGridLabelBlockers(&pending);
    const QRect label(266, 513, 71, 12);
    rig.system.settings.Grid = 0;  // "Grid Off" would differ from the label painted
    rig.panel->DrawGridLabel();
    const QImage held = rig.Shot().copy(label);
    EXPECT_EQ(rig.panel->State().GridLabelSuppressed, 1);
    pending = 0;
    rig.system.imaging.WaitingForStart = 1;
    rig.panel->DrawGridLabel();
    EXPECT_EQ(held, rig.Shot().copy(label));
    rig.system.imaging.WaitingForStart = 0;
    rig.panel->DrawGridLabel();
    EXPECT_EQ(rig.panel->State().GridLabelSuppressed, 0);
    EXPECT_NE(held, rig.Shot().copy(label));
}

// A caption that changes leaves the same pixels as one painted fresh.
TEST(PanelFaults, TransducerCaptionLeavesNothingBehind) {
    PanelRig changed;
    changed.system.settings.Xdcr = XdcrDown;
    changed.panel->DrawTransducerIcon();
    changed.system.settings.Xdcr = XdcrUp;
    changed.panel->DrawTransducerIcon();
    PanelRig fresh;
    fresh.system.settings.Xdcr = XdcrUp;
    fresh.panel->DrawTransducerIcon();
    const Rect& b = fresh.layout.transducerBox;
    const QRect around(b.left - 6, b.top, fresh.layout.overlayBox.right - b.left + 5, 20);
    EXPECT_EQ(changed.Shot().copy(around), fresh.Shot().copy(around));
}

TEST(PanelFaults, CheckBoxesAreSquareWithATick) {
    PanelRig rig;
    const int w = rig.layout.metrics.CheckBoxWidth;
    const QRect cell(734, 4, w, rig.layout.metrics.CheckBoxHeight);
    QImage s = rig.Shot();
    EXPECT_EQ(Pixel(s, cell.left(), cell.top()), MidGrey);  // square corner, sunken edge
    EXPECT_EQ(CountColour(s, cell.adjusted(2, 2, -2, -2), Black), 0);
    rig.system.settings.Hold = 1;
    rig.panel->DrawHold();
    s = rig.Shot();
    EXPECT_GT(CountColour(s, cell.adjusted(2, 2, -2, -2), Black), 10);
}

}  // namespace
}  // namespace tarvisk
