#pragma once
// The "Diagnostics" and "Scan For Connected Heads" windows: their rows as text, and their
// drawing over a plain surface.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "head/head_link.h"
#include "head/head_scan.h"
#include "head/orientation_module.h"
#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

struct DiagnosticsRow {
    std::string label;
    std::string head;   // sonar head column
    std::string drive;  // azimuth drive column (empty where the drive has no value)
};

struct LineFacts {
    int32_t lastErrors = 0;
    int32_t queuedBytes = 0;
    int32_t errorWord = 0;
};

// The last head and drive replies as the window shows them. Taken by the thread that decodes
// the replies, so the window's painting never reads fields that thread is writing.
struct DiagnosticsReplies {
    std::array<uint8_t, ReplyHeaderSize> headHeader{};  // all zero before any head reply
    int32_t lastReportedHeadId = 16;
    int32_t serialStatus = 0;
    int32_t chirp = 0;
    int32_t headPosition = 600;
    int32_t rangeByte = 0;
    int32_t profileRange = 0;
    int32_t dataByteCount = 0;
    int32_t terminationByte = 0;
    AzimuthReplyFields azimuth;  // header all zero before any drive reply
    int32_t reportedAzimuthPosition = 0;
    std::array<char, 16> shotPeriodText{};
};
DiagnosticsReplies TakeDiagnosticsReplies(const HeadLink& link);

// The seventeen rows in order. `driveColumn` is false while the drive is disabled.
std::vector<DiagnosticsRow> DiagnosticsRows(const SonarSettings& settings,
                                            const DiagnosticsReplies& replies,
                                            const OrientationModule& orientation,
                                            const LineFacts& line, bool* driveColumn);

inline constexpr Size DiagnosticsCanvasSize{300, 19 * 16 + 8};
void DrawDiagnosticsWindow(DrawSurface& surface, const std::vector<DiagnosticsRow>& rows,
                           bool driveColumn);

// What the scan window shows: the IDs with the one under test, the line error word, and the
// identification block of the last "T" reply.
struct HeadScanFacts {
    int32_t scanId = 16;
    int32_t errorWord = 0;
    bool haveBlock = false;
    NvRam nv{};
};
inline constexpr Size HeadScanCanvasSize{430, 430};
void DrawHeadScanWindow(DrawSurface& surface, const HeadScanFacts& facts);

}  // namespace tarvisk
