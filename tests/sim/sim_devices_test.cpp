#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <span>

#include "head/expected_reply.h"
#include "head/head_link.h"
#include "head/head_scan.h"
#include "head/reply_decode.h"
#include "head/switch_command.h"
#include "sim/nmea_talker.h"
#include "sim/sim_devices.h"

namespace tarvisk::sim {
namespace {

std::array<uint8_t, CommandSize> Frame(std::initializer_list<uint8_t> bytes) {
    std::array<uint8_t, CommandSize> f{};
    std::copy(bytes.begin(), bytes.end(), f.begin());
    return f;
}

// The polar example command: 50 m, gain 6, 360 degrees, Fast, 100 us, 675 kHz, 8 bits.
const std::array<uint8_t, CommandSize> PolarExample =
    Frame({0xFE, 0x44, 0x10, 0x32, 0x00, 0x00, 0x43, 0x00, 0x06, 0x01, 0x14, 0x3C, 0x78, 0x03,
           0x0A, 0x00, 0x00, 0x00, 0x00, 0x19, 0x08, 0x06, 0x00, 0x00, 0x05, 0x64, 0xFD});

SimCommand Parse(const std::array<uint8_t, CommandSize>& frame) {
    SimCommand c;
    EXPECT_TRUE(ParseSimCommand(frame, c));
    return c;
}

int32_t Position(const ReplyFrame& r) {
    return (r[6] & 0x3F) * 128 + (r[5] & 0x7F);
}

TEST(SimCommand, ReadsTheFrameAsTheDeviceSeesIt) {
    SimCommand c = Parse(PolarExample);
    EXPECT_EQ(c.deviceId, 16);
    EXPECT_EQ(c.rangeMeters, 50);
    EXPECT_EQ(c.gain, 6);
    EXPECT_EQ(c.absorption, 20);
    EXPECT_EQ(TrainCentrePosition(c.trainCode), 600);
    EXPECT_EQ(c.sectorCode, 120);
    EXPECT_EQ(c.stepCode, 3);
    EXPECT_EQ(c.pulseMicroseconds, 100);
    EXPECT_EQ(c.dataPoints, 25);
    EXPECT_EQ(c.dataBits, 8);
    EXPECT_EQ(c.frequencyKhz, 675);
    EXPECT_FALSE(c.headScan);
    EXPECT_EQ(FormatCommandHex(PolarExample),
              "FE 44 10 32 00 00 43 00 06 01 14 3C 78 03 0A 00 00 00 00 19 08 06 00 00 05 64 FD");

    auto bad = PolarExample;
    bad[26] = 0xFC;
    SimCommand ignored;
    EXPECT_FALSE(ParseSimCommand(bad, ignored));
    // Train codes: 60 ahead, 90 at 90 degrees, 0 astern, 30 at 270 degrees.
    EXPECT_EQ(TrainCentrePosition(90), 900);
    EXPECT_EQ(TrainCentrePosition(0), 0);
    EXPECT_EQ(TrainCentrePosition(30), 300);
}

// The program's builders against the device's own reading of the frame: two independent
// models of the same protocol must agree.
TEST(SimCommand, AgreesWithTheProgramsBuilders) {
    struct Case {
        int32_t mode, range, train, speed, bits, frequency, pulse;
    };
    const Case cases[] = {{Sector, 10, 0, Slow, 8, 280, 10},
                          {Polar, 200, 90, Fastest, 4, 1100, 1000},
                          {SS, 1, 270, Med, 16, 675, 100},
                          {Sector, 50, 359, Faster, 8, 700, 250}};
    for (const Case& k : cases) {
        SonarSettings s;
        HeadLink link(s);
        ApplyDisplayMode(s, k.mode);
        s.RangeMeters = k.range;
        s.Train = k.train;
        s.Speed = k.speed;
        s.DataBits = k.bits;
        s.Frequency = k.frequency;
        s.PulseLength = k.pulse;
        BuildNormalCommand(link);
        SetExpectedReply(link);
        SimCommand c = Parse(link.Command);
        EXPECT_EQ(c.deviceId, 16);
        EXPECT_EQ(c.rangeMeters, k.range);
        EXPECT_EQ(c.frequencyKhz, k.frequency);
        EXPECT_EQ(c.pulseMicroseconds, k.pulse);
        int32_t trainPosition = (600 + k.train / 3 * 3 * 10 / 3) % 1200;
        EXPECT_EQ(TrainCentrePosition(c.trainCode), trainPosition) << k.train;
        // What the head answers is what the program expects.
        ReplyShape shape = ShapeFor(c);
        EXPECT_EQ(shape.type, link.Expected.ReplyType.Get()) << "mode " << k.mode;
        EXPECT_EQ(shape.length, link.Expected.ExpectedReplyLength.Get()) << "mode " << k.mode;
    }
}

TEST(SonarHead, EveryReplyTypeAndWidthHasItsLengthAndDecodes) {
    struct Case {
        int32_t mode, bits;
        uint8_t type;
        int32_t length;
    };
    const Case cases[] = {{Sector, 4, 'G', 265}, {Sector, 8, 'G', 513}, {Sector, 16, 'G', 513},
                          {Polar, 4, 'M', 141},  {Polar, 8, 'M', 265},  {Polar, 16, 'M', 513}};
    for (const Case& k : cases) {
        SonarSettings s;
        HeadLink link(s);
        ApplyDisplayMode(s, k.mode);
        s.DataBits = k.bits;
        s.RangeMeters = 30;
        BuildNormalCommand(link);
        SetExpectedReply(link);
        SonarHeadModel head(3);
        ReplyFrame reply{};
        ASSERT_EQ(head.Respond(Parse(link.Command), reply), k.length);
        EXPECT_EQ(reply[0], 'I');
        EXPECT_EQ(reply[1], k.type);
        EXPECT_EQ(reply[2], 'X');
        EXPECT_EQ(reply[3], 16);
        EXPECT_EQ(reply[7], 30);
        EXPECT_EQ((reply[11] & 0x7F) * 128 + (reply[10] & 0x7F), k.length - 13);
        EXPECT_EQ(reply[k.length - 1], 0xFC);
        std::copy_n(reply.begin(), k.length, link.Reply.bytes.begin());
        EXPECT_TRUE(CheckAndDecodeReply(link)) << k.type << " " << k.bits;
        EXPECT_EQ(link.Shot.RangeByte, 30);
    }
    // Points Only: a bare 13-byte "P".
    SonarSettings s;
    HeadLink link(s);
    s.Profile = PointsOnly;
    BuildNormalCommand(link);
    SonarHeadModel head(3);
    ReplyFrame reply{};
    EXPECT_EQ(head.Respond(Parse(link.Command), reply), 13);
    EXPECT_EQ(reply[1], 'P');
}

TEST(SonarHead, AnswersOnlyItsOwnIdAndTheOthersOnlyTheirs) {
    SonarHeadModel head(1);
    AzimuthDriveModel drive;
    OrientationModuleModel orientation(1);
    ReplyFrame reply{};
    for (int id = 0; id < 256; ++id) {
        auto frame = PolarExample;
        frame[2] = static_cast<uint8_t>(id);
        SimCommand c = Parse(frame);
        EXPECT_EQ(head.Respond(c, reply) > 0, id == 16) << id;
        EXPECT_EQ(drive.Respond(c, reply) > 0, id == 31) << id;
        EXPECT_EQ(orientation.Respond(c, 0.0, reply) > 0, id == 24) << id;
    }
}

TEST(SonarHead, StepsWithinTheSectorAndReversesAtItsEdges) {
    auto frame = PolarExample;
    frame[11] = 90;  // centred at 90 degrees: position 900
    frame[12] = 10;  // 30 degrees wide: 850..950
    frame[13] = 8;
    SimCommand c = Parse(frame);
    SonarHeadModel head(1);
    ReplyFrame reply{};
    int32_t lo = 1200, hi = 0, reversals = 0, lastDirection = -1;
    for (int i = 0; i < 60; ++i) {
        head.Respond(c, reply);
        int32_t p = Position(reply);
        int32_t direction = (reply[6] >> 6) & 1;
        lo = std::min(lo, p);
        hi = std::max(hi, p);
        if (lastDirection >= 0 && direction != lastDirection)
            ++reversals;
        lastDirection = direction;
    }
    EXPECT_EQ(lo, 850);
    EXPECT_EQ(hi, 950);
    EXPECT_GE(reversals, 4);

    // Hold keeps the transducer still; a zero sector (side scan) points it at the train.
    frame[5] = 0x01;
    SimCommand held = Parse(frame);
    head.Respond(held, reply);
    int32_t p = Position(reply);
    head.Respond(held, reply);
    EXPECT_EQ(Position(reply), p);
    frame[5] = 0;
    frame[12] = 0;
    frame[13] = 0;
    head.Respond(Parse(frame), reply);
    EXPECT_EQ(Position(reply), 900);
}

TEST(SonarHead, ProfileRangeIsTheFirstStrongReturnBeyondTheMinimum) {
    auto frame = PolarExample;
    frame[19] = 50;  // "G", 500 samples over the range
    frame[3] = 40;
    frame[15] = 100;  // nothing nearer than 10 m
    SonarHeadModel head(5);
    ReplyFrame reply{};
    int found = 0;
    for (int i = 0; i < 400; ++i) {  // a full turn and more
        head.Respond(Parse(frame), reply);
        int32_t profile = reply[9] * 128 + (reply[8] & 0x7F);  // 0.01 m
        if (profile == 0)
            continue;
        ++found;
        // The minimum is a range from the transducer; the reported range starts at the
        // blanking distance (under half a metre for this pulse).
        EXPECT_GE(profile, 1000 - 50);
        // The point sits on a bright return, and nothing before it is as bright for long.
        const uint8_t* data = reply.data() + 12;
        const int s = static_cast<int>(profile * 0.01 / (40.0 / 500));
        ASSERT_LT(s + 5, 500);
        EXPECT_GE(*std::max_element(data + s - 2, data + s + 5), 25) << "shot " << i;
    }
    EXPECT_GT(found, 100) << "the quays and the objects in the basin give points";
}

TEST(SonarHead, TheSameSeedGivesTheSameEchoes) {
    auto frame = PolarExample;
    ReplyFrame a{}, b{}, c{};
    SonarHeadModel one(9), two(9), other(10);
    for (int i = 0; i < 5; ++i) {
        one.Respond(Parse(frame), a);
        two.Respond(Parse(frame), b);
        other.Respond(Parse(frame), c);
        EXPECT_EQ(a, b);
    }
    EXPECT_NE(a, c);
}

TEST(SonarHead, IdentifiesItselfAndTakesANewIdAndSerialNumber) {
    SonarSettings s;
    HeadLink link(s);
    link.ScanId = 16;
    BuildHeadScanCommand(link);
    SonarHeadModel head(1);
    ReplyFrame reply{};
    ASSERT_EQ(head.Respond(Parse(link.Command), reply), 77);
    EXPECT_EQ(reply[1], 'T');
    EXPECT_EQ(reply[12 + 0], 2);  // firmware major
    EXPECT_GE(reply[12 + 3], 1);  // a real month
    EXPECT_LE(reply[12 + 3], 12);
    EXPECT_EQ(reply[76], 0xFC);

    // Program serial 1234, depth rating 1, and move the head to ID 20, on one command.
    link.LastReportedHeadId = 16;
    link.HeadIdChangeRequest = 1;
    link.NewHeadId = 20;
    link.NvRamWriteRequest = 1;
    link.NvRamSerialNumber = 1234;
    link.NvRamDepthRating = 1;
    BuildHeadScanCommand(link);
    ASSERT_EQ(head.Respond(Parse(link.Command), reply), 77);
    EXPECT_EQ(head.HeadId(), 20);
    EXPECT_EQ(reply[3], 20);
    EXPECT_EQ(reply[12 + 7] * 128 + reply[12 + 6], 1234);
    EXPECT_EQ(reply[12 + 10], 1);

    link.ScanId = 16;
    BuildHeadScanCommand(link);
    SimCommand old = Parse(link.Command);
    old.deviceId = 16;
    EXPECT_EQ(head.Respond(old, reply), 0) << "the old ID is silent now";
}

TEST(AzimuthDrive, ReportsTheCommandedPosition) {
    SonarSettings s;
    HeadLink link(s);
    s.AzimuthAngle = 600;
    BuildAzimuthCommand(link);
    AzimuthDriveModel drive;
    ReplyFrame reply{};
    ASSERT_EQ(drive.Respond(Parse(link.Command), reply), 13);
    const uint8_t want[13] = {'I', 'A', 'X', 0x1F, 0x40, 0x58, 0x04, 0, 0, 0, 0x58, 0x04, 0xFC};
    EXPECT_TRUE(std::equal(want, want + 13, reply.begin()));

    AzimuthDriveModel slow(100);
    s.AzimuthAngle = 900;
    BuildAzimuthCommand(link);
    slow.Respond(Parse(link.Command), reply);
    EXPECT_EQ(Position(reply), 700);
    slow.Respond(Parse(link.Command), reply);
    slow.Respond(Parse(link.Command), reply);
    EXPECT_EQ(Position(reply), 900);
}

// What a scan of the whole line shows for each device, read by the program's own presentation.
using Device = std::function<int32_t(const SimCommand&, ReplyFrame&)>;

std::map<std::string, std::string> Identify(const Device& respond, const SimCommand& c) {
    ReplyFrame reply{};
    if (respond(c, reply) != 77 || reply[1] != 'T' || reply[76] != 0xFC)
        return {};
    NvRam nv = NvRamFromReply(reply.data());
    std::map<std::string, std::string> fields;
    for (const auto& [name, value] : IdentificationFields(nv))
        fields[name] = value;
    fields["ID"] = std::to_string(reply[3]);
    return fields;
}

TEST(LineDevices, EveryKindIdentifiesItselfAsTheScanWindowShowsIt) {
    SonarSettings s;
    HeadLink link(s);
    SonarHeadModel profiler(3, 20, SceneKind::Harbour, DeviceKind::ProfilingHead);
    SonarHeadModel sounder(3, 22, SceneKind::Harbour, DeviceKind::EchoSounder);
    AzimuthDriveModel drive(0, 3);
    OrientationModuleModel module(3);
    const Device asProfiler = [&](const SimCommand& c, ReplyFrame& r) {
        return profiler.Respond(c, r);
    };
    const Device asSounder = [&](const SimCommand& c, ReplyFrame& r) {
        return sounder.Respond(c, r);
    };
    const Device asDrive = [&](const SimCommand& c, ReplyFrame& r) { return drive.Respond(c, r); };
    auto scan = [&](int32_t id) {
        link.ScanId = id;
        BuildHeadScanCommand(link);
        return Parse(link.Command);
    };
    auto p = Identify(asProfiler, scan(20));
    EXPECT_EQ(p["ID"], "20");
    EXPECT_EQ(p["Sensor Type"], "Scanning Sonar");
    EXPECT_EQ(p["XDCR Type"], "Profiling - (Pencil Beam)");
    EXPECT_EQ(p["Depth Rating"], "3000 Meters");
    auto e = Identify(asSounder, scan(22));
    EXPECT_EQ(e["Sensor Type"], "Echo Sounder");
    EXPECT_EQ(e["Gear Ratio"], "n/a");
    auto d = Identify(asDrive, scan(31));
    EXPECT_EQ(d["ID"], "31");
    EXPECT_EQ(d["Sensor Type"], "Azimuth Drive");
    EXPECT_EQ(d["Gear Ratio"], "6 : 1");
    EXPECT_EQ(d["Shot Count"], "n/a");
    EXPECT_NE(d["Serial Number"], p["Serial Number"]);
    // A scan command is not a turn: the drive stays where it stands.
    EXPECT_EQ(drive.Position(), 600);

    ReplyFrame reply{};
    EXPECT_EQ(module.Respond(scan(24), 0.0, reply), 0) << "the module has no identity to give";
    EXPECT_EQ(profiler.Respond(scan(21), reply), 0);

    // The drive takes a new ID and then answers its turns there.
    link.LastReportedHeadId = 31;
    link.HeadIdChangeRequest = 1;
    link.NewHeadId = 30;
    EXPECT_EQ(Identify(asDrive, scan(31))["ID"], "30");
    s.AzimuthAngle = 700;
    BuildAzimuthCommand(link);
    SimCommand turn = Parse(link.Command);
    EXPECT_EQ(drive.Respond(turn, reply), 0);
    turn.deviceId = 30;
    EXPECT_EQ(drive.Respond(turn, reply), 13);
}

TEST(LineDevices, ExtraHeadsAreReadFromTheirOption) {
    ExtraHead h;
    ASSERT_TRUE(ParseExtraHead("20", h));
    EXPECT_EQ(h.id, 20);
    EXPECT_EQ(h.kind, DeviceKind::ProfilingHead);
    ASSERT_TRUE(ParseExtraHead("31:sounder", h));
    EXPECT_EQ(h.kind, DeviceKind::EchoSounder);
    ASSERT_TRUE(ParseExtraHead("17:imaging", h));
    EXPECT_EQ(h.kind, DeviceKind::ImagingHead);
    for (const char* bad : {"", "15", "32", "20:", "20:drive", "2O", "20 ", ":profiling"})
        EXPECT_FALSE(ParseExtraHead(bad, h)) << bad;
}

TEST(OrientationModule, ReportsSmallPitchRollAndAHeading) {
    SonarSettings s;
    HeadLink link(s);
    BuildOrientationCommand(link);
    OrientationModuleModel module(1);
    ReplyFrame reply{};
    for (double t : {0.0, 10.0, 100.0}) {
        ASSERT_EQ(module.Respond(Parse(link.Command), t, reply), 29);
        EXPECT_EQ(reply[1], 'O');
        EXPECT_EQ(reply[28], 0xFC);
        int32_t pitch = reply[19] * 128 + reply[18];
        int32_t roll = reply[21] * 128 + reply[20];
        int32_t heading = reply[23] * 128 + reply[22];
        EXPECT_NEAR(pitch, 900, 50);
        EXPECT_NEAR(roll, 900, 50);
        EXPECT_LT(heading, 3600);
    }
}

TEST(NmeaTalker, SentencesCarryValidChecksumsAndTheirFields) {
    NmeaTalker talker(1);
    std::string both = talker.Sentences(NmeaSentence::Both, 1765000000);
    size_t split = both.find("\r\n");
    ASSERT_NE(split, std::string::npos);
    std::string gga = both.substr(0, split);
    std::string gll = both.substr(split + 2, both.size() - split - 4);
    for (const std::string& line : {gga, gll}) {
        ASSERT_GT(line.size(), 10u);
        ASSERT_EQ(line[0], '$');
        size_t star = line.find('*');
        ASSERT_NE(star, std::string::npos);
        EXPECT_EQ(std::stoi(line.substr(star + 1), nullptr, 16),
                  NmeaChecksum(line.substr(1, star - 1)));
    }
    EXPECT_EQ(gga.rfind("$GPGGA,", 0), 0u);
    EXPECT_EQ(std::count(gga.begin(), gga.end(), ','), 14);
    EXPECT_EQ(gll.rfind("$GPGLL,", 0), 0u);
    EXPECT_NE(gga.find(",N,"), std::string::npos);
    EXPECT_NE(gga.find(",W,"), std::string::npos);
    EXPECT_EQ(talker.Sentences(NmeaSentence::Gll, 0).rfind("$GPGLL", 0), 0u);
}

}  // namespace
}  // namespace tarvisk::sim
