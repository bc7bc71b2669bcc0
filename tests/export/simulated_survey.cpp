#include "tests/export/simulated_survey.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <span>

#include "files/ksd_record.h"
#include "head/expected_reply.h"
#include "head/gps_parser.h"
#include "head/head_link.h"
#include "head/switch_command.h"
#include "settings/sonar_settings.h"
#include "sim/nmea_talker.h"
#include "sim/sim_command.h"
#include "sim/sim_devices.h"

namespace tarvisk::test {

namespace {

RecordTimeStamp StampAt(double unixSeconds) {
    const std::time_t whole = static_cast<std::time_t>(std::floor(unixSeconds));
    std::tm tm{};
    gmtime_r(&whole, &tm);
    const int ms = static_cast<int>((unixSeconds - double(whole)) * 1000.0);
    return MakeTimeStamp(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec, ms);
}

struct Line {
    explicit Line(std::ofstream& out) : file(out) {}
    std::ofstream& file;
    int32_t previous = 0;
    RecordBytes bytes{};
    int64_t records = 0;
    int64_t written = 0;

    void Record(const HeadLink& link, const sim::ReplyFrame& reply, int32_t length,
                const SonarSettings& settings, double unixSeconds, const GpsFix* gps) {
        RecordSource source;
        source.Reply = std::span<const uint8_t>(reply.data(), static_cast<size_t>(length));
        source.SizeCode = link.Expected.RecordSizeCode;
        source.Stamp = StampAt(unixSeconds);
        source.Gps = gps;
        source.PreviousRecordSize = previous;
        const size_t size = EncodeRecord(source, settings, bytes);
        if (size == 0)
            return;
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
        previous = static_cast<int32_t>(size);
        ++records;
        written += static_cast<int64_t>(size);
    }
};

}  // namespace

SurveyRecording WriteSimulatedSurvey(const std::string& path, const SurveyPlan& plan) {
    auto settings = std::make_unique<SonarSettings>();
    SonarSettings& s = *settings;
    ApplyDisplayMode(s, plan.gridMode);
    s.Speed = plan.speed;
    if (plan.rangeIndex >= 0)
        ApplyRangeIndex(s, plan.rangeIndex);
    s.UseGPS = plan.gps ? 1 : 0;
    auto link = std::make_unique<HeadLink>(s);

    sim::SonarHeadModel head(plan.seed, 16, plan.scene);
    sim::OrientationModuleModel orientation(plan.seed);
    orientation.SetOutlierEvery(40);
    orientation.FollowHeading(plan.track.headingDegrees);
    sim::NmeaTalker talker(plan.seed);
    talker.FollowTrack(plan.track, plan.startUnix);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    Line line(out);
    GpsFields fields;
    GpsFix fix;
    auto reply = std::make_unique<sim::ReplyFrame>();
    SurveyRecording result;
    // The receiver talks once a second, a little after the shots' clock ticks over.
    double nextFix = 0.3;
    double nextAttitude = 0.5;
    for (double t = 0.0; t < plan.seconds; t += plan.shotSeconds) {
        const double now = plan.startUnix + t;
        if (plan.gps && t >= nextFix) {
            const std::string text = talker.SentencesAt(sim::NmeaSentence::Gga, now);
            const std::string_view sentence(text.data(), text.find('\r'));
            ParseSentence(SentenceKind(sentence, 1), sentence, fields);
            fix.PositionText.fill('\0');
            std::memcpy(fix.PositionText.data(), fields.PositionText.data(), GpsPositionTextSize);
            std::memcpy(fix.UtcTimeText.data(), fields.UtcTimeText.data(), fix.UtcTimeText.size());
            fix.FixQuality = fields.FixQuality;
            fix.Satellites = fields.Satellites;
            fix.Hdop = fields.Hdop;
            fix.Altitude = fields.Altitude;
            nextFix += 1.0;
        }
        const GpsFix* gps = plan.gps && t > 0.3 ? &fix : nullptr;
        if (plan.gps && !gps) {
            static const GpsFix none{};
            gps = &none;
        }

        sim::SimCommand command;
        if (plan.orientation && t >= nextAttitude) {
            // The module is asked once a second between shots.
            BuildOrientationCommand(*link);
            SetExpectedReply(*link, true);
            if (sim::ParseSimCommand(std::span<const uint8_t, 27>(link->Command), command)) {
                const int32_t n = orientation.Respond(command, t, *reply);
                if (n > 0)
                    line.Record(*link, *reply, n, s, now, gps);
            }
            nextAttitude += 1.0;
        }
        BuildNormalCommand(*link);
        SetExpectedReply(*link);
        if (!sim::ParseSimCommand(std::span<const uint8_t, 27>(link->Command), command))
            continue;
        sim::HeadPose pose;
        sim::OrientationModuleModel::Attitude(t, pose);
        pose.aheadMetres = static_cast<float>(sim::DistanceOnTrack(plan.track, t));
        head.SetPose(pose);
        const int32_t n = head.Respond(command, *reply);
        if (n <= 0)
            continue;
        line.Record(*link, *reply, n, s, now, gps);
        ++result.shots;
    }
    result.records = line.records;
    result.bytes = line.written;
    return result;
}

}  // namespace tarvisk::test
