#include "display/gps_readout.h"

#include <string>

namespace tarvisk {

namespace {
void ShadowText(DrawSurface& s, int32_t x, int32_t y, std::string_view text, const Rect& clip) {
    s.DrawText(x + 1, y + 1, text, PanelBlack, TextFont::System, &clip);
    s.DrawText(x, y, text, WhiteColour, TextFont::System, &clip);
}
}  // namespace

void ShowGpsPosition(DrawSurface& s, GpsState& gps, const SonarSettings& settings, bool fresh,
                     bool playedRecordHasGps) {
    std::lock_guard lock(s.Mutex());
    const int32_t textHeight = s.TextExtent("0", TextFont::System).height;
    const Rect field{2, 532, 201, 536 + textHeight};
    const bool active = settings.RunMode == 0 ? settings.UseGPS == 1 : playedRecordHasGps;
    if (!active) {
        s.FillRect(field, PanelDarkGrey);
        s.RequestRepaint(field);
        return;
    }
    s.DrawRect(field, PanelBlack, PanelMidGrey);
    if (fresh || gps.Age < 5) {
        const int32_t blink = gps.Blink ? 0 : 1;
        gps.Blink = blink;
        const GpsFields fields = gps.Copy();
        const std::string text(fields.PositionText.data(), GpsPositionTextSize);
        ShadowText(s, 3, 534, text.substr(0, 12) + ",", field);
        ShadowText(s, 94, 534, text.substr(12, 12), field);
        if (blink)
            ShadowText(s, 189, 534, "*", field);
    } else {
        ShadowText(s, 8, 534, GpsNotAvailableText, field);
    }
    s.RequestRepaint(field);
}

bool AdvanceGpsAge(GpsState& gps, const SonarSettings& settings) {
    if (settings.UseGPS != 1)
        return false;
    const int32_t age = gps.Age + 1;
    gps.Age = age;
    return age == 10;
}

}  // namespace tarvisk
