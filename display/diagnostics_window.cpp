#include "display/diagnostics_window.h"

#include <cstdio>

namespace tarvisk {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

char Shown(uint8_t c) {
    return c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
}

void ShadowText(DrawSurface& s, int32_t x, int32_t y, std::string_view text, const Rect* clip) {
    s.DrawText(x + 1, y + 1, text, PanelBlack, TextFont::System, clip);
    s.DrawText(x, y, text, WhiteColour, TextFont::System, clip);
}

}  // namespace

DiagnosticsReplies TakeDiagnosticsReplies(const HeadLink& link) {
    const ShotRecord& shot = link.Shot;
    DiagnosticsReplies r;
    r.headHeader = shot.HeaderCopy;
    r.lastReportedHeadId = link.LastReportedHeadId.Get();
    r.serialStatus = shot.SerialStatus;
    r.chirp = shot.Chirp;
    r.headPosition = shot.HeadPosition;
    r.rangeByte = shot.RangeByte;
    r.profileRange = shot.ProfileRange;
    r.dataByteCount = shot.DataByteCount;
    r.terminationByte = shot.TerminationByte;
    r.azimuth = link.Azimuth;
    r.reportedAzimuthPosition = link.ReportedAzimuthPosition.Get();
    link.ShotPeriodText.CopyTo(r.shotPeriodText.data(), r.shotPeriodText.size());
    return r;
}

std::vector<DiagnosticsRow> DiagnosticsRows(const SonarSettings& s, const DiagnosticsReplies& r,
                                            const OrientationModule& o, const LineFacts& line,
                                            bool* driveColumn) {
    const AzimuthReplyFields& a = r.azimuth;
    const bool head = r.headHeader[0] != 0;
    const bool drive = a.Header[0] != 0;
    const std::string na = "n/a";
    auto h = [&](std::string v) { return head ? v : na; };
    auto d = [&](std::string v) { return drive ? v : na; };
    std::vector<DiagnosticsRow> rows;
    rows.push_back(
        {"Header",
         h(Format("%c%c%c", Shown(r.headHeader[0]), Shown(r.headHeader[1]),
                  Shown(r.headHeader[2]))),
         d(Format("%c%c%c", Shown(a.Header[0]), Shown(a.Header[1]), Shown(a.Header[2])))});
    rows.push_back({"Head ID", h(Format("0x%02X", r.lastReportedHeadId & 0xFF)),
                    d(Format("0x%02X", a.Byte3))});
    rows.push_back({"Serial Stat", h(Format("0x%02X", r.serialStatus) + (r.chirp ? " CHIRP" : "")),
                    d(Format("0x%02X", a.Byte4))});
    rows.push_back(
        {"Head Pos", h(Format("%d", r.headPosition)), d(Format("%d", r.reportedAzimuthPosition))});
    rows.push_back(
        {"Range",
         h(s.Units == Feet ? Format("%d FT", r.rangeByte * 3) : Format("%d M", r.rangeByte)),
         "---"});
    rows.push_back({"Profile", h(Format("%d", r.profileRange)), "---"});
    rows.push_back({"Data Bytes", h(Format("%d", r.dataByteCount)), d(Format("%d", a.Value1011))});
    rows.push_back(
        {"Term", h(Format("0x%02X", r.terminationByte)), d(Format("0x%02X", a.TerminationByte))});
    rows.push_back({"Send Delay", Format("%d ms", s.SendDelay.Get()), ""});
    rows.push_back({"Tx Delay", Format("%d us", s.TxDelay.Get() * 100), ""});
    rows.push_back({"Switch Delay", Format("%d ms", s.SwitchDelay.Get()), ""});
    // The waits run on the microsecond clock: a million ticks a second.
    rows.push_back({"Delay Count", Format("%d", 1000000), ""});
    rows.push_back({"Rep Rate", r.shotPeriodText.data(), ""});
    rows.push_back({"Serial Rxd", Format("0x%04X - %d", line.lastErrors, line.queuedBytes), ""});
    const bool angles = s.EnableOrientationModule == 1 || s.RunMode == 1;
    rows.push_back({"Pitch", angles ? Format("% 3.1f deg", double{o.FilteredPitch}) : na, ""});
    rows.push_back({"Roll", angles ? Format("% 3.1f deg", double{o.FilteredRoll}) : na, ""});
    rows.push_back(
        {"Heading",
         angles ? Format("% 3.1f deg (%3.1f)", double{o.FilteredHeading}, double{s.HeadingOffset})
                : na,
         ""});
    if (driveColumn)
        *driveColumn = s.AzimuthDriveEnable == 1;
    return rows;
}

void DrawDiagnosticsWindow(DrawSurface& s, const std::vector<DiagnosticsRow>& rows,
                           bool driveColumn) {
    std::lock_guard lock(s.Mutex());
    const Size size = DiagnosticsCanvasSize;
    s.DrawRect({0, 0, size.width, size.height}, PanelBlack, PanelMidGrey);
    const int32_t line = 16;
    const Rect headClip{96, 0, driveColumn ? 200 : size.width - 2, size.height};
    const Rect driveClip{200, 0, size.width - 2, size.height};
    for (size_t i = 0; i < rows.size(); ++i) {
        const int32_t y = 4 + static_cast<int32_t>(i) * line;
        ShadowText(s, 6, y, rows[i].label, nullptr);
        ShadowText(s, 100, y, rows[i].head, &headClip);
        if (driveColumn && !rows[i].drive.empty())
            ShadowText(s, 204, y, rows[i].drive, &driveClip);
    }
    s.RequestRepaint({0, 0, size.width, size.height});
}

void DrawHeadScanWindow(DrawSurface& s, const HeadScanFacts& f) {
    std::lock_guard lock(s.Mutex());
    const Size size = HeadScanCanvasSize;
    s.DrawRect({0, 0, size.width, size.height}, PanelBlack, PanelMidGrey);
    const int32_t line = 16;
    // The sixteen IDs, the one under test marked.
    for (int32_t i = 0; i < 16; ++i) {
        const int32_t id = 16 + i;
        const int32_t y = 6 + i * line;
        if (id == f.scanId)
            s.DrawRect({4, y - 1, 62, y + line - 2}, WhiteColour, PanelStatusFill);
        ShadowText(s, 8, y, Format("ID %d", id), nullptr);
    }
    ShadowText(s, 80, 6, "ComStatus", nullptr);
    ShadowText(s, 200, 6, Format("0x%08X", static_cast<unsigned>(f.errorWord)), nullptr);
    NvRam nv = f.nv;
    if (f.haveBlock) {
        const NamedValues fields = IdentificationFields(nv);
        for (size_t i = 0; i < fields.size(); ++i) {
            const int32_t y = 6 + static_cast<int32_t>(i + 1) * line;
            ShadowText(s, 80, y, fields[i].first, nullptr);
            ShadowText(s, 200, y, fields[i].second, nullptr);
        }
    }
    const int32_t top = 6 + 10 * line;
    for (int32_t row = 0; row < 16; ++row) {
        const int32_t y = top + row * line;
        ShadowText(s, 80, y, NvRamLabel(row), nullptr);
        if (!f.haveBlock)
            continue;
        for (int32_t col = 0; col < 4; ++col)
            ShadowText(s, 170 + col * 60, y, NvRamByteText(nv[static_cast<size_t>(row + 16 * col)]),
                       nullptr);
    }
    s.RequestRepaint({0, 0, size.width, size.height});
}

}  // namespace tarvisk
