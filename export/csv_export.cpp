#include "export/csv_export.h"

#include <unistd.h>

#include <array>
#include <cmath>
#include <memory>
#include <string_view>

#include "export/ksd_shot_walk.h"
#include "export/record_values.h"
#include "export/text_sink.h"
#include "imaging/profile_record_table.h"
#include "settings/settings_tables.h"

namespace tarvisk {

namespace {

constexpr std::string_view CsvColumns =
    "record,offset,time,mode,range_m,gain_db,frequency_khz,bearing_deg,profile_range_m,"
    "sound_velocity_mps,latitude_deg,longitude_deg,gps_utc,heading_deg,pitch_deg,roll_deg,"
    "azimuth_deg";

std::string_view ModeName(int32_t gridMode, uint8_t replyType) {
    if (replyType == 'P' || gridMode == Profile)
        return "Profile";
    switch (gridMode) {
        case Sector:
            return "Sector";
        case Polar:
            return "Polar";
        case SS:
            return "SS";
        default:
            return "";
    }
}

double NormalisedDegrees(double d) {
    d = std::fmod(d, 360.0);
    if (d < 0.0)
        d += 360.0;
    return d;
}

std::string_view TextOf(const char* text, size_t capacity) {
    size_t n = 0;
    while (n < capacity && text[n] != '\0')
        ++n;
    return {text, n};
}

class CsvRowWriter {
  public:
    CsvRowWriter(KsdShotWalk& walk, TextSink& sink) : walk_(walk), sink_(sink) {}

    void Header(int32_t sampleColumns) {
        sink_.Append(CsvColumns);
        for (int32_t i = 0; i < sampleColumns; ++i) {
            sink_.Append(",s");
            sink_.AppendInteger(i);
        }
        sink_.Append("\r\n");
    }

    void Row(int32_t sampleColumns) {
        const RecordHeader& h = walk_.Header();
        const SonarSettings& s = walk_.settings;
        const ShotRecord& shot = walk_.link.Shot;
        const PlayedRecordState& played = walk_.played;

        sink_.AppendInteger(walk_.RecordNumber());
        sink_.Append(',');
        sink_.AppendInteger(walk_.Offset());
        sink_.Append(',');
        RecordTime t;
        if (RecordTimeFrom(h, t)) {
            char iso[32];
            sink_.Append(std::string_view(iso, FormatIsoTime(t, iso)));
        }
        sink_.Append(',');
        sink_.Append(ModeName(s.GridMode, walk_.ReplyType()));
        sink_.Append(',');
        sink_.AppendInteger(s.RangeMeters);
        sink_.Append(',');
        sink_.AppendInteger(h.Gain);
        sink_.Append(',');
        sink_.AppendInteger(played.FileFrequency);
        sink_.Append(',');
        sink_.AppendFixed(NormalisedDegrees(shot.HeadAngleDegrees), 2);
        sink_.Append(',');
        const float nominal =
            ProfileRecordRange(shot.ProfileRange, s.RangeMeters, shot.EchoStartDistance);
        if (nominal > 0.0f)
            sink_.AppendFixed(double(nominal) * played.SoundVelocity / 1500.0, 3);
        sink_.Append(',');
        sink_.AppendFixed(played.SoundVelocity, 1);
        sink_.Append(',');
        GeoPosition position;
        const bool fix = played.HasGps && PositionFromText(played.Gps.PositionText, position);
        if (fix)
            sink_.AppendFixed(position.latitude, 7);
        sink_.Append(',');
        if (fix)
            sink_.AppendFixed(position.longitude, 7);
        sink_.Append(',');
        if (played.HasGps)
            sink_.AppendTextField(
                TextOf(played.Gps.UtcTimeText.data(), played.Gps.UtcTimeText.size()));
        sink_.Append(',');
        if (walk_.OrientationSeen()) {
            sink_.AppendFixed(walk_.orientation.FilteredHeading, 1);
            sink_.Append(',');
            sink_.AppendFixed(walk_.orientation.FilteredPitch, 1);
            sink_.Append(',');
            sink_.AppendFixed(walk_.orientation.FilteredRoll, 1);
        } else {
            sink_.Append(",,");
        }
        sink_.Append(',');
        if (h.AzimuthPresent)
            sink_.AppendFixed(h.AzimuthPosition * 0.3 - 180.0, 1);
        if (sampleColumns > 0) {
            const int32_t n = std::min<int32_t>(shot.EchoLevelCount, sampleColumns);
            for (int32_t i = 0; i < sampleColumns; ++i) {
                sink_.Append(',');
                if (i < n)
                    sink_.AppendInteger(shot.EchoLine[static_cast<size_t>(i)]);
            }
        }
        sink_.Append("\r\n");
    }

  private:
    KsdShotWalk& walk_;
    TextSink& sink_;
};

}  // namespace

CsvExportResult ExportCsv(const CsvExportRequest& request,
                          const std::function<void(int64_t, int64_t)>& progress) {
    CsvExportResult result;
    auto walk = std::make_unique<KsdShotWalk>();
    if (!walk->Open(request.ksdPath, &result.error))
        return result;

    // The sample columns are as many as the longest echo line; a first walk finds it.
    int32_t sampleColumns = 0;
    if (request.samples) {
        while (walk->Next())
            if (walk->IsHeadShot())
                sampleColumns = std::max(sampleColumns, walk->link.Shot.EchoLevelCount);
        walk = std::make_unique<KsdShotWalk>();
        if (!walk->Open(request.ksdPath, &result.error))
            return result;
    }

    TextSink sink;
    if (request.outPath.empty()) {
        sink.UseDescriptor(STDOUT_FILENO);
    } else if (!sink.Create(request.outPath, &result.error)) {
        result.error = "cannot create " + request.outPath + ": " + result.error;
        return result;
    }
    CsvRowWriter rows(*walk, sink);
    rows.Header(sampleColumns);
    while (walk->Next()) {
        ++result.records;
        if (walk->IsHeadShot()) {
            rows.Row(sampleColumns);
            ++result.rows;
        }
        if (progress && (result.records & 1023) == 0)
            progress(walk->Offset(), walk->FileSize());
    }
    result.damaged = walk->DamagedStretches();
    if (!sink.Close()) {
        result.error = request.outPath.empty() ? "the output could not be written whole"
                                               : "cannot write " + request.outPath;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarvisk
