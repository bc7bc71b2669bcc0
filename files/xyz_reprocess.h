#pragma once
// Re-processing a recording into an XYZ file without a window: every record goes through the
// shot pipeline as a live shot does during a scan, so the scan point log is built by the same
// code, and the log is written by the scans' own writers. A sound velocity or offset found
// wrong after the survey is put right with an override instead of a new survey.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvisk {

enum class XyzForm { Vertical, Horizontal, Azimuth };

struct XyzReprocessRequest {
    std::string ksdPath;
    XyzForm form = XyzForm::Vertical;
    std::string iniPath;  // empty: the settings' defaults
    // TARVISK.INI keys and values; they win over the INI file and over what records carry.
    std::vector<std::pair<std::string, std::string>> overrides;
};

struct XyzReprocessResult {
    bool ok = false;
    bool usageError = false;  // a bad override
    std::string error;
    int64_t records = 0;  // records read
    int64_t logged = 0;   // entries in the scan point log
    int64_t written = 0;  // point lines written (a log's first and last entry never are)
    int64_t blocks = 0;   // texts written (azimuth: one per drive position)
};

// Builds the log and hands each text to write (one call per file text or azimuth block).
// progress is told the bytes read so far and the file size.
XyzReprocessResult ReprocessToXyz(const XyzReprocessRequest& request,
                                  const std::function<bool(std::string_view)>& write,
                                  const std::function<void(int64_t, int64_t)>& progress = {});

}  // namespace tarvisk
