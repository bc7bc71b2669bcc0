// tarvisk-tool ksd: what a sonar data file holds, and its pictures rendered in batch.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "config/ini_settings.h"
#include "files/bmp8_writer.h"
#include "files/headless_playback.h"
#include "files/ksd_info.h"
#include "files/record_writer.h"
#include "imaging/palette.h"
#include "tools/lib/service_commands.h"
#include "tools/tool/ksd_export.h"
#include "tools/tool/ksd_xyz.h"
#include "tools/tool/progress.h"
#include "tools/tool/tool_command.h"

namespace tarvisk {

namespace {

constexpr int KsdFailure = 1;
// Frames `ksd render` writes without --every or --all: about 300 MB.
constexpr int64_t RenderFramesWithoutAsking = 1000;

constexpr std::string_view KsdHelp =
    "usage: tarvisk-tool ksd info FILE\n"
    "       tarvisk-tool ksd render FILE --out DIR [--every N | --all] [--ini FILE]\n"
    "                            [Key=Value ...]\n"
    "       tarvisk-tool ksd xyz FILE --form vertical|horizontal|azimuth [--out FILE.XYZ]\n"
    "                            [--ini FILE] [Key=Value ...]\n"
    "       tarvisk-tool ksd csv FILE [--out FILE.csv] [--samples]\n"
    "       tarvisk-tool ksd geotiff FILE --out DIR\n"
    "       tarvisk-tool ksd points FILE --form vertical|horizontal|azimuth --out FILE.gpkg\n"
    "\n"
    "info    Prints the number of records, the size codes and reply types seen, the first\n"
    "        and last time stamps, whether the file plays backwards, whether it carries GPS\n"
    "        data, each damaged stretch in the middle of the file (its offset, its length and\n"
    "        the whole records after it), and where a damaged tail starts if it has one.\n"
    "render  Plays the file once through the shot pipeline without a window and writes the\n"
    "        sonar image as DIR/frame-000001.bmp, ... : 8-bit BMP files whose pixel values\n"
    "        are the image's palette indexes, with the colour table in the file. A frame is\n"
    "        written after every Nth drawn shot (default 1) and after the last one. A file\n"
    "        of more than 1000 records needs --every N, or --all for a frame per shot.\n"
    "        Settings a record does not carry (grid, colours, profile mode, units...) come\n"
    "        from the INI file and then from the Key=Value arguments (TARVISK.INI keys).\n"
    "xyz     Builds the scan point log from the records of FILE as a running scan builds it\n"
    "        from live shots, and writes it with the scan's own XYZ writer: --form vertical\n"
    "        (chainage profile) or horizontal (borehole profile) give one file of all the\n"
    "        records; azimuth gives one block per recorded azimuth drive position, in record\n"
    "        order. The first and last entry of each log are left out, as in a scan. Settings\n"
    "        a record carries (sound velocity, vertical angle offset, chainage, elevation,\n"
    "        offset) come from the record unless a Key=Value argument names them; the others\n"
    "        from the INI file and then the arguments. Writes to standard output without --out.\n"
    "csv     One row per head shot (RFC 4180: commas, CR LF, \".\" decimals, a header row):\n"
    "        record,offset,time,mode,range_m,gain_db,frequency_khz,bearing_deg,\n"
    "        profile_range_m,sound_velocity_mps,latitude_deg,longitude_deg,gps_utc,\n"
    "        heading_deg,pitch_deg,roll_deg,azimuth_deg; empty where a record has no such\n"
    "        value. Orientation-only records are no rows; their values carry to the next\n"
    "        shots. --samples adds the echo levels as s0, s1, ... Standard output without\n"
    "        --out.\n"
    "geotiff For each completed sweep (each sector reversal, each wrap of a full circle)\n"
    "        DIR/sweep-0001.tif, ...: the plan view in the palette's colours as a north-up\n"
    "        GeoTIFF on the UTM grid of the first fix's zone, placed from the GPS track and\n"
    "        turned by the orientation module's heading, transparent outside the fans; with\n"
    "        DIR/mosaic.vrt (all frames) and DIR/track.geojson (the GPS track with its times\n"
    "        and the sweep centres). A recording without a GPS fix is refused.\n"
    "points  The points of ksd xyz for the form as a 3-D point layer in a GeoPackage, with\n"
    "        time, range, bearing and scan number: on the UTM grid from the GPS track and the\n"
    "        heading when the records carry fixes, else on the scan's offset/chainage axes.\n"
    "\n"
    "Long runs show their progress on standard error when it is a terminal.\n"
    "Exit status: 0 done; 1 the file could not be read, is no sonar data file or holds no\n"
    "whole record, or a frame was not written; 2 usage.\n";

int Info(const std::string& path, std::ostream& out, std::ostream& err) {
    if (const std::string special = NonRegularFileText(path); !special.empty()) {
        err << "tarvisk-tool ksd: " << special << "\n";
        return KsdFailure;
    }
    ToolProgress progress("ksd info " + path);
    const KsdSummary s =
        SummarizeKsdFile(path, [&](int64_t done, int64_t total) { progress.Update(done, total); });
    progress.Finish();
    if (!s.Opened) {
        err << "tarvisk-tool ksd: cannot open " << path << "\n";
        return KsdFailure;
    }
    if (!s.StartsWithMagic && s.Records == 0) {
        err << "tarvisk-tool ksd: " << path << ": not a sonar data file (it does not start with "
            << RecordMagic << ")\n";
        return KsdFailure;
    }
    out << "file: " << path << "\n";
    out << "bytes: " << s.FileSize << "\n";
    out << "records: " << s.Records << "\n";
    out << "size codes:";
    for (size_t c = 0; c < s.SizeCodes.size(); ++c)
        if (s.SizeCodes[c])
            out << " " << c << " (" << RecordSizes[c] << " bytes) x" << s.SizeCodes[c];
    out << "\nreply types:";
    for (size_t t = 0; t < s.ReplyTypes.size(); ++t) {
        if (!s.ReplyTypes[t])
            continue;
        if (t >= 0x21 && t < 0x7F)
            out << " " << static_cast<char>(t) << " x" << s.ReplyTypes[t];
        else
            out << " 0x" << std::hex << t << std::dec << " x" << s.ReplyTypes[t];
    }
    out << "\nfirst: " << (s.Records ? s.FirstStamp : "-") << "\n";
    out << "last: " << (s.Records ? s.LastStamp : "-") << "\n";
    out << "reverse play: " << (s.ReverseAvailable ? "yes" : "no") << "\n";
    if (s.BrokenBackLinks)
        out << "broken back-links: " << s.BrokenBackLinks << "\n";
    out << "gps: " << (s.GpsRecords ? "yes" : "no") << " (" << s.GpsRecords << " records)\n";
    for (const DamagedStretch& d : s.Damaged)
        out << "damaged: from byte " << d.Offset << " (" << d.Length << " bytes, " << d.Reason
            << "), " << d.RecordsAfter << " records after it\n";
    if (s.WholeEnd < s.FileSize)
        out << "damaged tail: from byte " << s.WholeEnd << " (" << s.FileSize - s.WholeEnd
            << " bytes, " << s.TailReason << ")\n";
    else
        out << "damaged tail: none\n";
    if (s.Records == 0) {
        err << "tarvisk-tool ksd: " << path << ": no whole record\n";
        return KsdFailure;
    }
    // Records after a damaged start are worth the dump, but playback refuses the file.
    if (!s.StartsWithMagic) {
        err << "tarvisk-tool ksd: " << path << ": does not start with " << RecordMagic
            << ", so playback refuses it\n";
        return KsdFailure;
    }
    return ToolOk;
}

bool ParseCount(std::string_view text, int* value) {
    int32_t v = 0;
    if (!ParseWholeNumber(text, v) || v <= 0)
        return false;
    *value = v;
    return true;
}

int Render(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    std::string file, outDir, ini;
    int every = 1;
    bool everyGiven = false;
    std::vector<std::pair<std::string, std::string>> overrides;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" && hasValue) {
            outDir = args[++i];
        } else if (a == "--ini" && hasValue) {
            ini = args[++i];
        } else if (a == "--every" && hasValue) {
            if (!ParseCount(args[++i], &every)) {
                err << "tarvisk-tool ksd render: --every needs a count of 1 or more\n";
                return ToolUsageError;
            }
            everyGiven = true;
        } else if (a == "--all") {
            every = 1;
            everyGiven = true;
        } else if (a.find('=') != std::string_view::npos && !a.starts_with("--")) {
            const size_t eq = a.find('=');
            overrides.emplace_back(std::string(a.substr(0, eq)), std::string(a.substr(eq + 1)));
        } else if (file.empty() && !a.starts_with("--")) {
            file = a;
        } else {
            err << "tarvisk-tool ksd render: unexpected argument " << a << "\n" << KsdHelp;
            return ToolUsageError;
        }
    }
    if (file.empty() || outDir.empty()) {
        err << KsdHelp;
        return ToolUsageError;
    }

    // A frame per shot of a long recording fills a disk before anyone notices: above a bound
    // the operator says how many frames are meant.
    if (!everyGiven) {
        const KsdSummary summary = SummarizeKsdFile(file);
        if (summary.Records > RenderFramesWithoutAsking) {
            const int64_t frameBytes = int64_t(ImageWidth) * ImageHeight + 1078;
            err << "tarvisk-tool ksd render: " << file << " holds " << summary.Records
                << " records: a frame after each would be " << summary.Records << " frames of "
                << frameBytes / 1000 << " KB (" << summary.Records * frameBytes / 1000000
                << " MB); give --every N, or --all for every one\n";
            return ToolUsageError;
        }
    }

    auto system = std::make_unique<HeadlessPlayback>();
    if (!ini.empty()) {
        PortMap ports;
        std::string error;
        if (!std::filesystem::exists(ini)) {
            err << "tarvisk-tool ksd render: no INI file " << ini << "\n";
            return KsdFailure;
        }
        if (!ReadTarviskIni(ini, system->settings, ports, &error)) {
            err << "tarvisk-tool ksd render: " << error << "\n";
            return KsdFailure;
        }
    }
    for (const auto& [key, value] : overrides) {
        std::string error;
        if (!ApplyIniSetting(system->settings, key, value, &error)) {
            err << "tarvisk-tool ksd render: " << error << "\n";
            return ToolUsageError;
        }
    }
    ApplySideScanTrain(system->settings);
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (!system->Open(file)) {
        err << "tarvisk-tool ksd render: " << file << ": "
            << (system->ui.lastMessage.empty() ? "cannot be read" : system->ui.lastMessage) << "\n";
        return KsdFailure;
    }
    Palette palette;
    palette.ApplyColourTable(system->settings.Colors);
    const ColourTable colours = palette.Colours();
    system->drawing.RedrawImage();

    Player& player = system->commands.Player();
    player.DrawNextRecord();
    int64_t drawn = 0, frames = 0, records = 0;
    bool pending = false;
    auto writeFrame = [&]() {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06lld.bmp", static_cast<long long>(frames + 1));
        const std::string path = (std::filesystem::path(outDir) / name).string();
        if (!WriteBmp8(path, system->image.pixels, ImageWidth, ImageHeight, colours)) {
            err << "tarvisk-tool ksd render: cannot write " << path << "\n";
            return false;
        }
        ++frames;
        pending = false;
        return true;
    };
    ToolProgress progress("ksd render " + file);
    for (;;) {
        const StepResult r = player.Step();
        if (r == StepResult::EndOfFile)
            break;
        progress.Update(player.Position(), player.FileSize());
        if (r == StepResult::Searching)
            continue;  // crossing a damaged stretch
        ++records;
        if (r != StepResult::Shown)
            continue;
        ++drawn;
        pending = true;
        if (drawn % every == 0 && !writeFrame())
            return KsdFailure;
    }
    if ((pending || frames == 0) && !writeFrame())
        return KsdFailure;
    out << records << " records, " << drawn << " drawn, " << frames << " frames in " << outDir
        << "\n";
    return ToolOk;
}

int RunKsdTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << KsdHelp;
        return args.empty() ? ToolUsageError : ToolOk;
    }
    if (args[0] == "info" && args.size() == 2)
        return Info(std::string(args[1]), out, err);
    if (args[0] == "render")
        return Render(args.subspan(1), out, err);
    if (args[0] == "xyz")
        return RunKsdXyz(args.subspan(1), out, err);
    if (args[0] == "csv")
        return RunKsdCsv(args.subspan(1), out, err);
    if (args[0] == "geotiff")
        return RunKsdGeotiff(args.subspan(1), out, err);
    if (args[0] == "points")
        return RunKsdPoints(args.subspan(1), out, err);
    err << KsdHelp;
    return ToolUsageError;
}

}  // namespace

extern const ToolCommand KsdToolCommand;
const ToolCommand KsdToolCommand{
    "ksd", "show what a .KSD file holds, render it, or export it (XYZ, CSV, GIS)", RunKsdTool};

}  // namespace tarvisk
