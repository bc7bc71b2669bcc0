#pragma once
// One CSV row per head shot of a recording (RFC 4180, comma-separated, CR LF, "." decimals,
// a header row), for spreadsheets, pandas, R and MATLAB. Orientation-only and drive records
// are not rows; the attitude they carry goes on into the shots after them.

#include <cstdint>
#include <functional>
#include <string>

namespace tarvisk {

struct CsvExportRequest {
    std::string ksdPath;
    std::string outPath;   // empty: standard output
    bool samples = false;  // the echo levels as s0, s1, ...
};

struct CsvExportResult {
    bool ok = false;
    std::string error;
    int64_t records = 0;  // whole records read
    int64_t rows = 0;
    int64_t damaged = 0;  // damaged stretches passed over
};

CsvExportResult ExportCsv(const CsvExportRequest& request,
                          const std::function<void(int64_t, int64_t)>& progress = {});

}  // namespace tarvisk
