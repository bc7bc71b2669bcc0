#include "files/ksd_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ksd_test_util.h"

namespace tarvisk {
namespace {

using test::MakeReply;

struct Combination {
    char type;
    size_t n;
    int32_t code;
};

// Every reply type with the reply lengths and size codes the acquisition modes produce.
constexpr Combination Combinations[] = {
    {'G', 265, 2}, {'G', 513, 3}, {'M', 141, 1}, {'M', 265, 2}, {'M', 513, 3},
    {'P', 13, 0},  {'A', 13, 0},  {'T', 77, 1},  {'O', 29, 1},
};

GpsFix SampleFix() {
    GpsFix fix;
    std::memcpy(fix.PositionText.data(), " 48.07.038 N011.31.000 E", 25);
    std::memcpy(fix.UtcTimeText.data(), "12:35:19.25", 12);
    fix.FixQuality = 1;
    fix.Satellites = 8;
    fix.Hdop = 0.9f;
    fix.Altitude = 545.4f;
    fix.ThirdValue = 46.9f;
    return fix;
}

size_t Encode(const std::vector<uint8_t>& reply, int32_t code, const SonarSettings& settings,
              RecordBytes& out, const GpsFix* gps = nullptr, int32_t previous = 0) {
    RecordSource source;
    source.Reply = reply;
    source.SizeCode = code;
    source.Stamp = MakeTimeStamp(2026, 3, 7, 9, 5, 42, 987);
    source.Gps = gps;
    source.PreviousRecordSize = previous;
    return EncodeRecord(source, settings, out);
}

TEST(KsdRecord, EveryReplyTypeAndSizeCodeRoundTrips) {
    const GpsFix fix = SampleFix();
    for (const Combination& c : Combinations) {
        for (bool withGps : {false, true}) {
            SCOPED_TRACE(std::string(1, c.type) + " n=" + std::to_string(c.n) +
                         (withGps ? " gps" : ""));
            SonarSettings settings;
            settings.ProfileXOffset = 1.5f;
            settings.ProfileChainage = -2.25f;
            settings.ProfileElevation = 3.0f;
            settings.PitchOffset = 4.0f;
            settings.RollOffset = 5.0f;
            settings.HeadingOffset = 6.0f;
            const auto reply = MakeReply(static_cast<uint8_t>(c.type), c.n, 7);
            RecordBytes bytes{};
            const size_t size = Encode(reply, c.code, settings, bytes, withGps ? &fix : nullptr);
            ASSERT_EQ(size, static_cast<size_t>(RecordSizeFor(c.code, withGps)));
            ASSERT_EQ(CheckRecordHeader(bytes), HeaderCheck::Ok);

            const RecordHeader header = DecodeRecordHeader(bytes);
            EXPECT_EQ(header.SizeCode, c.code);
            EXPECT_EQ(header.RecordSize, static_cast<int32_t>(size));
            EXPECT_EQ(header.ReplyLength, static_cast<int32_t>(c.n));
            EXPECT_EQ(header.HasGps, withGps);
            EXPECT_STREQ(header.DateText.data(), "07-MAR-2026");
            EXPECT_STREQ(header.TimeText.data(), "09:05:42");
            EXPECT_STREQ(header.HundredthsText.data(), ".98");
            EXPECT_EQ(header.Seconds, 42);
            EXPECT_EQ(header.Hundredths, 98);

            ReplyBuffer played;
            const RecordBody body = DecodeRecordBody(header, bytes, played);
            EXPECT_EQ(0, std::memcmp(played.bytes.data(), reply.data(), c.n));
            EXPECT_EQ(body.BackLink, static_cast<int32_t>(size));
            const bool floats = c.type == 'G' || c.type == 'M' || c.type == 'P' || c.type == 'O';
            EXPECT_EQ(body.FloatsPresent, floats);
            if (c.type == 'O')
                EXPECT_EQ(body.Floats, (std::array<float, 3>{4.0f, 5.0f, 6.0f}));
            else if (floats)
                EXPECT_EQ(body.Floats, (std::array<float, 3>{1.5f, -2.25f, 3.0f}));
            else
                for (size_t i = 0; i < RecordFloatsSize; ++i)
                    EXPECT_EQ(bytes[100 + c.n + i], 0);
            if (withGps) {
                EXPECT_STREQ(body.Gps.PositionText.data(), fix.PositionText.data());
                EXPECT_STREQ(body.Gps.UtcTimeText.data(), "12:35:19.25");
                EXPECT_EQ(body.Gps.FixQuality, 1);
                EXPECT_EQ(body.Gps.Satellites, 8);
                EXPECT_EQ(body.Gps.Hdop, 0.9f);
                EXPECT_EQ(body.Gps.Altitude, 545.4f);
                EXPECT_EQ(body.Gps.ThirdValue, 46.9f);
            }
        }
    }
}

TEST(KsdRecord, ProfileRecordLayout) {
    SonarSettings settings;
    const auto reply = MakeReply('P', 13, 1);
    RecordBytes bytes{};
    ASSERT_EQ(Encode(reply, 0, settings, bytes), 128u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "KSD", 3));
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(ReadBigEndian16(&bytes[4]), 128);
    EXPECT_EQ(ReadBigEndian16(&bytes[6]), 13);
    EXPECT_EQ(bytes[34], 0);
    EXPECT_EQ(bytes[125], 0);  // the one spare byte before the back-link
    EXPECT_EQ(ReadBigEndian16(&bytes[126]), 128);
    // Little-endian floats right after the reply.
    settings.ProfileXOffset = 1.0f;
    Encode(reply, 0, settings, bytes);
    EXPECT_EQ((std::array<uint8_t, 4>{bytes[113], bytes[114], bytes[115], bytes[116]}),
              (std::array<uint8_t, 4>{0x00, 0x00, 0x80, 0x3F}));

    const GpsFix fix = SampleFix();
    ASSERT_EQ(Encode(reply, 0, settings, bytes, &fix), 256u);
    EXPECT_EQ(bytes[34], 0x01);
    EXPECT_EQ(ReadBigEndian16(&bytes[254]), 256);
    // Latitude without its leading blank at S - 128, longitude at S - 116.
    EXPECT_EQ(0, std::memcmp(&bytes[128], "48.07.038 N", 11));
    EXPECT_EQ(bytes[139], 0);
    EXPECT_EQ(0, std::memcmp(&bytes[140], "011.31.000 E", 12));
    EXPECT_EQ(0, std::memcmp(&bytes[176], "12:35:19.25", 12));
}

TEST(KsdRecord, BackLinksCountThePreviousRecord) {
    SonarSettings settings;
    const auto reply = MakeReply('G', 513, 1);
    RecordBytes bytes{};
    ASSERT_EQ(Encode(reply, 3, settings, bytes, nullptr, 0), 640u);
    EXPECT_EQ(ReadBigEndian16(&bytes[638]), 640);
    Encode(reply, 3, settings, bytes, nullptr, 640);
    EXPECT_EQ(ReadBigEndian16(&bytes[638]), 1280);
}

TEST(KsdRecord, SettingsFieldsEncodeAndRestore) {
    SonarSettings settings;
    settings.GridMode = Sector;
    settings.SectorSize = 180;
    settings.Train = 359;
    settings.Xdcr = XdcrUp;
    settings.Speed = Faster;
    settings.Gain = 33;
    settings.RangeOffset = 4;
    settings.Absorption = 60;
    settings.DataBits = 16;
    settings.LogF = 3;
    settings.ProfileGrid = 1;
    settings.ZeroDown = 0;
    settings.PulseLength = 157;
    settings.Profile = HighMix;
    settings.SoundVelocityMeters = 1234.56f;
    settings.UserText.Set("Harbour survey");
    settings.Frequency = 1100;
    const auto reply = MakeReply('G', 513, 1);  // odd id: step-direction bit set
    RecordBytes bytes{};
    Encode(reply, 3, settings, bytes);
    EXPECT_EQ(bytes[37], 0x80 | 0x40 | (0 << 3) | 3);
    EXPECT_EQ(bytes[39], 60);
    EXPECT_EQ(bytes[40], 119);
    EXPECT_EQ(bytes[43], 0x80 | 0x40 | (2 << 3) | 3);
    EXPECT_EQ(bytes[44], 15);
    EXPECT_EQ(bytes[45], 4);
    EXPECT_EQ((std::array<uint8_t, 2>{bytes[46], bytes[47]}), (std::array<uint8_t, 2>{0xB0, 0x39}));
    EXPECT_EQ(ReadBigEndian16(&bytes[80]), 1100);
    EXPECT_EQ(ReadBigEndian16(&bytes[82]), 0);
    EXPECT_EQ(ReadBigEndian16(&bytes[91]), 1800);

    SonarSettings played;
    PlayedRecordState state;
    const int32_t oldSector = played.SectorSize;
    ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
    EXPECT_EQ(played.GridMode, Sector);
    EXPECT_EQ(played.SectorSize, 180);
    EXPECT_EQ(state.PreviousSectorSize, oldSector);
    EXPECT_EQ(played.Train, 357);
    EXPECT_EQ(played.Xdcr, XdcrUp);
    EXPECT_EQ(played.Speed, Faster);
    EXPECT_EQ(played.Gain, 33);
    EXPECT_EQ(played.RangeOffset, 4);
    EXPECT_EQ(played.Absorption, 60);
    EXPECT_EQ(played.DataBits, 16);
    EXPECT_EQ(played.LogF, 3);
    EXPECT_EQ(played.PulseLength, 150);
    EXPECT_EQ(played.ProfileGrid, 0);  // not restored
    EXPECT_EQ(played.Profile, ProfileOff);
    EXPECT_EQ(state.StepDirection, 1);
    EXPECT_NEAR(state.SoundVelocity, 1234.5f, 1e-3);
    EXPECT_STREQ(state.UserText.data(), "Harbour survey");
    EXPECT_EQ(state.FileFrequency, 1100);
    EXPECT_EQ(state.AzimuthPosition, 600);
    EXPECT_FALSE(state.AzimuthReplyPresent);
    EXPECT_STREQ(state.DateTimeText.data(), "07-MAR-2026  09:05:42");

    // Side scan stores no sector, and its train picks the channel.
    settings.GridMode = SS;
    settings.Train = 90;
    Encode(reply, 3, settings, bytes);
    EXPECT_EQ(bytes[39], 0);
    ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
    EXPECT_EQ(played.SSTrain, StbdChannel);
    settings.Train = 270;
    Encode(reply, 3, settings, bytes);
    ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
    EXPECT_EQ(played.SSTrain, PortChannel);
}

TEST(KsdRecord, CheckedFieldsOnRestore) {
    SonarSettings settings;
    const auto reply = MakeReply('G', 513, 2);
    RecordBytes bytes{};
    Encode(reply, 3, settings, bytes);
    EXPECT_EQ((std::array<uint8_t, 2>{bytes[46], bytes[47]}), (std::array<uint8_t, 2>{0xBA, 0x98}));

    struct VelocityCase {
        int32_t stored;  // bytes 46-47
        float expected;
    };
    const VelocityCase velocities[] = {
        {0x8000 | 22500, 2250.0f},                    // upper bound accepted
        {0x8000 | 22501, 1400.0f},                    // just above: unchanged
        {0x8000 | 7499, 1400.0f},                     // just below the lower bound: unchanged
        {0x8000 | 7500, 750.0f},   {12345, 1480.0f},  // no value stored: the operator's velocity
    };
    for (const VelocityCase& v : velocities) {
        SCOPED_TRACE(v.stored);
        SonarSettings played;
        played.SoundVelocityMeters = 1480.0f;
        PlayedRecordState state;
        state.SoundVelocity = 1400.0f;
        WriteBigEndian16(&bytes[46], v.stored);
        ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
        EXPECT_FLOAT_EQ(state.SoundVelocity, v.expected);
    }

    struct AngleCase {
        float offset;
        int32_t stored;
        float restored;
    };
    const AngleCase angles[] = {
        {-180.0f, 0, 0.0f}, {90.0f, 2700, 90.0f}, {179.9f, 3598, 179.8f},
        {0.0f, 1800, 0.0f}, {-200.0f, 0, 0.0f},
    };
    for (const AngleCase& a : angles) {
        SCOPED_TRACE(a.offset);
        settings.VerticalAngleOffset = a.offset;
        Encode(reply, 3, settings, bytes);
        EXPECT_EQ(ReadBigEndian16(&bytes[91]), a.stored);
        SonarSettings played;
        PlayedRecordState state;
        ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
        EXPECT_NEAR(played.VerticalAngleOffset, a.restored, 1e-4);
    }

    WriteBigEndian16(&bytes[80], 0);
    EXPECT_EQ(DecodeRecordHeader(bytes).FileFrequency, 675);
    // An unknown data-bits code leaves the setting alone.
    bytes[43] = 3 << 3;
    SonarSettings played;
    played.DataBits = 4;
    PlayedRecordState state;
    ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
    EXPECT_EQ(played.DataBits, 4);
}

TEST(KsdRecord, OldFiveDigitYearAndMissingHundredths) {
    SonarSettings settings;
    const auto reply = MakeReply('G', 513, 2);
    RecordBytes bytes{};
    Encode(reply, 3, settings, bytes);
    std::memcpy(&bytes[8], "01-JAN-19100", 12);
    bytes[29] = 0;
    const RecordHeader header = DecodeRecordHeader(bytes);
    EXPECT_STREQ(header.DateText.data(), "01-JAN-2000");
    EXPECT_STREQ(header.HundredthsText.data(), ".00");
    EXPECT_EQ(header.Hundredths, 0);
}

TEST(KsdRecord, AzimuthUserTextAndGpsRestore) {
    SonarSettings settings;
    settings.UserText.Set("");
    const auto reply = MakeReply('G', 513, 2);
    RecordBytes bytes{};
    RecordSource source;
    source.Reply = reply;
    source.SizeCode = 3;
    source.AzimuthPosition = 750;
    GpsFix noFix;  // the GPS input had no fix yet
    source.Gps = &noFix;
    ASSERT_EQ(EncodeRecord(source, settings, bytes), 768u);
    EXPECT_EQ(ReadBigEndian16(&bytes[82]), 0x8000 | 750);

    SonarSettings played;
    PlayedRecordState state;
    std::memcpy(state.UserText.data(), "kept", 5);
    std::memcpy(state.Gps.PositionText.data(), " 48.07.038 N011.31.000 E", 25);
    state.GpsAge = 9;
    const RecordHeader header = DecodeRecordHeader(bytes);
    ApplyRecordHeader(header, played, state);
    EXPECT_EQ(state.AzimuthPosition, 750);
    ASSERT_TRUE(state.AzimuthReplyPresent);
    EXPECT_EQ(state.AzimuthReply,
              (std::array<uint8_t, 13>{'I', 'A', 'X', 0x1F, 0x40, 0, 0, 0, 0, 0, 0, 0, 0xFC}));
    EXPECT_STREQ(state.UserText.data(), "kept");  // an empty stored text changes nothing

    ReplyBuffer out;
    RecordBody body = DecodeRecordBody(header, bytes, out);
    ApplyRecordBody(body, 'G', played, state);
    EXPECT_EQ(state.GpsAge, 10);
    ApplyRecordBody(body, 'G', played, state);
    EXPECT_EQ(state.GpsAge, 10);
    EXPECT_STREQ(state.Gps.PositionText.data(), " 48.07.038 N011.31.000 E");

    // A full 32-byte user text comes back with its last byte cut.
    std::memset(&bytes[48], 'x', 32);
    ApplyRecordHeader(DecodeRecordHeader(bytes), played, state);
    EXPECT_EQ(std::strlen(state.UserText.data()), 31u);
}

TEST(KsdRecord, HeaderCheckRefusesWhatDoesNotFit) {
    SonarSettings settings;
    const auto reply = MakeReply('G', 513, 2);
    RecordBytes good{};
    Encode(reply, 3, settings, good);
    struct Case {
        const char* name;
        size_t offset;
        int32_t value;  // 16-bit when offset is 4 or 6, else a byte
        HeaderCheck expected;
    };
    const Case cases[] = {
        {"magic", 1, 'X', HeaderCheck::BadMagic},
        {"size code", 3, 11, HeaderCheck::BadSizeCode},
        {"size against code", 4, 641, HeaderCheck::BadRecordSize},
        {"gps flag without block", 34, 1, HeaderCheck::BadRecordSize},
        {"reply longer than body", 6, 640 - 100 - 1, HeaderCheck::BadReplyLength},
        {"huge reply", 6, 0xFFFF, HeaderCheck::BadReplyLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBytes bad = good;
        if (c.offset == 4 || c.offset == 6)
            WriteBigEndian16(&bad[c.offset], c.value);
        else
            bad[c.offset] = static_cast<uint8_t>(c.value);
        EXPECT_EQ(CheckRecordHeader(bad), c.expected);
    }
    // The encoder refuses a reply its size code cannot hold.
    RecordBytes out{};
    EXPECT_EQ(Encode(MakeReply('G', 513, 1), 2, settings, out), 0u);
    // Size code 10 is readable too.
    EXPECT_EQ(Encode(MakeReply('G', 4000, 1), 10, settings, out), 8192u);
    EXPECT_EQ(CheckRecordHeader(out), HeaderCheck::Ok);
}

}  // namespace
}  // namespace tarvisk
