// The simulated boat on a straight track: the position its GPS reports, the heading its
// orientation module reports and the scene going by.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "head/gps_parser.h"
#include "platform/delay.h"
#include "platform/serial_port.h"
#include "sim/boat_track.h"
#include "sim/head_simulator.h"
#include "sim/nmea_talker.h"
#include "sim/scene.h"
#include "sim/sim_command.h"
#include "sim/sim_devices.h"

namespace tarvisk::sim {
namespace {

// Latitude and longitude in degrees from the program's parse of a GGA sentence.
void ParsedPosition(const std::string& sentences, double& lat, double& lon) {
    const std::string_view line(sentences.data(), sentences.find('\r'));
    GpsFields fields;
    ASSERT_TRUE(ParseSentence(SentenceKind(line, 1), line, fields)) << line;
    const std::string t(fields.PositionText.data(), 24);
    lat = std::stoi(t.substr(1, 2)) + std::stod(t.substr(4, 2) + "." + t.substr(7, 3)) / 60.0;
    lon = std::stoi(t.substr(12, 3)) + std::stod(t.substr(16, 2) + "." + t.substr(19, 3)) / 60.0;
    if (t[11] == 'S')
        lat = -lat;
    if (t[23] == 'W')
        lon = -lon;
}

TEST(BoatTrack, TakesFourNumbersAndRefusesAnythingElse) {
    BoatTrack t;
    std::string error;
    ASSERT_TRUE(ParseBoatTrack("40.3977,-3.6527,30,1.5", t, &error)) << error;
    EXPECT_DOUBLE_EQ(t.latitude, 40.3977);
    EXPECT_DOUBLE_EQ(t.longitude, -3.6527);
    EXPECT_DOUBLE_EQ(t.headingDegrees, 30.0);
    EXPECT_DOUBLE_EQ(t.speedMetresPerSecond, 1.5);
    for (const char* bad : {"", "40,3", "40,3,30", "40,3,30,1,2", "40,3,30,x", "95,3,30,1",
                            "40,3,360,1", "40,3,30,-1", "40,,30,1", "40,3,30,1 "})
        EXPECT_FALSE(ParseBoatTrack(bad, t, &error)) << bad;
    EXPECT_FALSE(error.empty());
}

TEST(BoatTrack, GpsReportsThePositionAlongTheTrack) {
    // Due north at 2 m/s, then due east: 200 m in 100 s, in the receiver's own text.
    for (double heading : {0.0, 90.0}) {
        const BoatTrack track{40.0, -3.0, heading, 2.0};
        NmeaTalker talker(1);
        talker.FollowTrack(track, 1000.0);
        double lat0, lon0, lat1, lon1;
        ParsedPosition(talker.SentencesAt(NmeaSentence::Gga, 1000.0), lat0, lon0);
        ParsedPosition(talker.SentencesAt(NmeaSentence::Gga, 1100.0), lat1, lon1);
        const double north = (lat1 - lat0) * 111034.0;  // metres a degree of latitude at 40 N
        const double east = (lon1 - lon0) * 85395.0;    // and of longitude
        // The text keeps a thousandth of a minute: about 2 m.
        EXPECT_NEAR(north, heading == 0.0 ? 200.0 : 0.0, 2.5);
        EXPECT_NEAR(east, heading == 0.0 ? 0.0 : 200.0, 2.5);
    }
}

TEST(BoatTrack, SentencesCarryTheMomentsHundredths) {
    NmeaTalker talker(1);
    talker.FollowTrack({40.0, -3.0, 0.0, 1.0}, 0.0);
    const std::string text = talker.SentencesAt(NmeaSentence::Gga, 1796796000.25);
    EXPECT_EQ(text.rfind("$GPGGA,060000.25,", 0), 0u) << text;
}

TEST(BoatTrack, TheSceneGoesByAsTheBoatRunsAhead) {
    Scene harbour(SceneKind::Harbour);
    const float before = harbour.AxisRange(0.0f);
    HeadPose pose;
    pose.aheadMetres = 10.0f;
    harbour.SetPose(pose);
    const float after = harbour.AxisRange(0.0f);
    // The beam looks 12 degrees down from 2.5 m onto a bottom 7.0 m deep that rises 0.06 m
    // a metre ahead: 10 m further on it meets the bottom 0.6 m higher, that much sooner.
    const float down = 12.0f * 3.14159265f / 180.0f;
    const float perMetre = std::sin(down) + 0.06f * std::cos(down);
    EXPECT_NEAR(before, 4.5f / perMetre, 0.05f);
    EXPECT_NEAR(before - after, 0.6f / perMetre, 0.05f);
}

TEST(BoatTrack, TheModuleHoldsTheTracksHeading) {
    OrientationModuleModel module(3);
    module.FollowHeading(123.4);
    SimCommand request;
    request.deviceId = OrientationModuleId;
    ReplyFrame reply{};
    for (double t : {0.0, 40.0, 95.0}) {
        ASSERT_EQ(module.Respond(request, t, reply), 29);
        const int32_t raw = (reply[22] & 0x7F) * 128 + (reply[23] & 0x7F);
        const int32_t other = (reply[23] & 0x7F) * 128 + (reply[22] & 0x7F);
        EXPECT_TRUE(raw == 1234 || other == 1234) << raw;
    }
}

TEST(BoatTrack, TheSimulatorsGpsLineMovesWithTheBoat) {
    HeadSimulator simulator;
    SimulatorOptions options;
    options.unpaced = true;
    options.gps = true;
    options.onTrack = true;
    options.track = {40.0, -3.0, 0.0, 20.0};
    ASSERT_TRUE(simulator.Start(options));
    SerialPort gps;
    ASSERT_TRUE(gps.Open(simulator.GpsDevicePath(), 4800));
    std::string text;
    std::vector<std::string> sentences;
    // Two sentences a second apart, however loaded the machine.
    const int64_t end = MonotonicMicroseconds() + 20000000;
    while (sentences.size() < 2 && MonotonicMicroseconds() < end) {
        gps.WaitReadable(20);
        char buffer[256];
        const int64_t n = gps.Read(reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<size_t>(n));
        for (size_t at; (at = text.find("\r\n")) != std::string::npos; text.erase(0, at + 2))
            if (text.rfind("$GPGGA,", 0) == 0)
                sentences.push_back(text.substr(0, at + 2));
    }
    simulator.Stop();
    ASSERT_EQ(sentences.size(), 2u);
    double lat0, lon0, lat1, lon1;
    ParsedPosition(sentences[0], lat0, lon0);
    ParsedPosition(sentences[1], lat1, lon1);
    // 20 m north between them (a loaded machine may send the second late).
    EXPECT_GT((lat1 - lat0) * 111034.0, 15.0);
    EXPECT_NEAR(lon1, lon0, 1e-6);
}

}  // namespace
}  // namespace tarvisk::sim
