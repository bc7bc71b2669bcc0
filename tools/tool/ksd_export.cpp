// tarvisk-tool ksd csv | geotiff | points.

#include "tools/tool/ksd_export.h"

#include <ostream>
#include <string>

#include "export/csv_export.h"
#include "export/points_export.h"
#include "export/sweep_export.h"
#include "files/record_writer.h"
#include "tools/tool/progress.h"

namespace tarvisk {

namespace {

constexpr int ExportFailure = 1;
constexpr int ExportUsage = 2;

// FILE and the options of one subcommand; false with a message for anything unknown.
struct ExportArgs {
    std::string file;
    std::string out;
    std::string form;
    bool samples = false;
};

bool ParseExportArgs(std::string_view command, std::span<const std::string_view> args,
                     bool takesSamples, bool takesForm, ExportArgs& parsed, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" && hasValue) {
            parsed.out = args[++i];
        } else if (takesSamples && a == "--samples") {
            parsed.samples = true;
        } else if (takesForm && a == "--form" && hasValue) {
            parsed.form = args[++i];
        } else if (parsed.file.empty() && !a.starts_with("--")) {
            parsed.file = a;
        } else {
            err << "tarvisk-tool ksd " << command << ": unexpected argument " << a << "\n";
            return false;
        }
    }
    if (parsed.file.empty()) {
        err << "tarvisk-tool ksd " << command << ": no FILE\n";
        return false;
    }
    return true;
}

// A device or a pipe would never end or never start.
bool RegularInput(std::string_view command, const std::string& file, std::ostream& err) {
    if (const std::string special = NonRegularFileText(file); !special.empty()) {
        err << "tarvisk-tool ksd " << command << ": " << special << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunKsdCsv(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    ExportArgs a;
    if (!ParseExportArgs("csv", args, true, false, a, err))
        return ExportUsage;
    if (!RegularInput("csv", a.file, err))
        return ExportFailure;
    CsvExportRequest request{a.file, a.out, a.samples};
    // Rows on standard output must not mix with anything the stream holds.
    out.flush();
    ToolProgress progress("ksd csv " + a.file);
    const CsvExportResult result =
        ExportCsv(request, [&](int64_t done, int64_t total) { progress.Update(done, total); });
    progress.Finish();
    if (!result.ok) {
        err << "tarvisk-tool ksd csv: " << a.file << ": " << result.error << "\n";
        return ExportFailure;
    }
    if (!a.out.empty())
        out << result.records << " records, " << result.rows << " rows written to " << a.out
            << "\n";
    return 0;
}

int RunKsdGeotiff(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    ExportArgs a;
    if (!ParseExportArgs("geotiff", args, false, false, a, err))
        return ExportUsage;
    if (a.out.empty()) {
        err << "tarvisk-tool ksd geotiff: --out DIR is needed\n";
        return ExportUsage;
    }
    if (!RegularInput("geotiff", a.file, err))
        return ExportFailure;
    ToolProgress progress("ksd geotiff " + a.file);
    const SweepExportResult result = ExportSweeps(
        {a.file, a.out}, [&](int64_t done, int64_t total) { progress.Update(done, total); });
    progress.Finish();
    if (!result.ok) {
        err << "tarvisk-tool ksd geotiff: " << a.file << ": " << result.error << "\n";
        return ExportFailure;
    }
    out << result.records << " records, " << result.frames << " sweeps written to " << a.out
        << " (EPSG:" << result.epsg << ")\n";
    if (result.headingFromTrack)
        out << "no orientation module in the recording: the pictures are turned by the course "
               "over ground\n";
    return 0;
}

int RunKsdPoints(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    ExportArgs a;
    if (!ParseExportArgs("points", args, false, true, a, err))
        return ExportUsage;
    PointsExportRequest request;
    request.ksdPath = a.file;
    request.outPath = a.out;
    if (a.form == "vertical")
        request.form = XyzForm::Vertical;
    else if (a.form == "horizontal")
        request.form = XyzForm::Horizontal;
    else if (a.form == "azimuth")
        request.form = XyzForm::Azimuth;
    else {
        err << "tarvisk-tool ksd points: --form vertical|horizontal|azimuth is needed\n";
        return ExportUsage;
    }
    if (a.out.empty()) {
        err << "tarvisk-tool ksd points: --out FILE.gpkg is needed\n";
        return ExportUsage;
    }
    if (!RegularInput("points", a.file, err))
        return ExportFailure;
    ToolProgress progress("ksd points " + a.file);
    const PointsExportResult result =
        ExportPoints(request, [&](int64_t done, int64_t total) { progress.Update(done, total); });
    progress.Finish();
    if (!result.ok) {
        err << "tarvisk-tool ksd points: " << a.file << ": " << result.error << "\n";
        return ExportFailure;
    }
    out << result.records << " records, " << result.points << " points written to " << a.out;
    if (result.epsg)
        out << " (EPSG:" << result.epsg << ")\n";
    else
        out << " (local chainage and offset axes: the recording has no GPS fix)\n";
    return 0;
}

}  // namespace tarvisk
