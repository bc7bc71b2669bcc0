#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "head/gps_input.h"
#include "head/gps_parser.h"

namespace tarvisk {
namespace {

std::string Text(const GpsFields& f) {
    return std::string(f.PositionText.data(), GpsPositionTextSize);
}

// Feeds bytes through the assembler and the parser as the GPS thread does.
struct Feeder : GpsView {
    SonarSettings settings;
    GpsState state;
    std::vector<bool> shown;
    GpsSentenceReader reader{settings, state, *this};
    void ShowGpsPosition(bool fresh) override { shown.push_back(fresh); }
    void Feed(const std::string& bytes) {
        reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
};

TEST(GpsSentences, WorkedExamples) {
    struct Row {
        const char* name;
        int32_t gpsType;
        std::string bytes;
        std::string position;  // 24 characters; empty: nothing parsed
        bool shown;
    } rows[] = {
        {"GLL", 0, "$GPGLL,4916.4500,N,12311.1200,W,225444,A\r\n", " 49.16.450 N123.11.120 W",
         true},
        {"GGA", 1, "$GPGGA,123519.25,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
         " 48.07.038 N011.31.000 E", true},
        {"GLL while GGA is chosen", 1, "$GPGLL,4916.4500,N,12311.1200,W,225444,A\r\n", "", false},
        {"no carriage return", 1, "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,\n",
         "", false},
        {"another talker", 1, "$GNGGA,123519,4807.038,S,01131.000,W,1,08,0.9,1.0,M,,M,,\r\n",
         " 48.07.038 S011.31.000 W", true},
        {"bad hemisphere still stores", 1,
         "$GPGGA,123519,4807.038,X,01131.000,E,1,08,0.9,1.0,M,,M,,\r\n", " 48.07.038 X011.31.000 E",
         false},
        {"no fix", 1, "$GPGGA,002153.000,,,,,0,00,,,M,,M,,*5A\r\n", "", false},
    };
    for (const Row& r : rows) {
        Feeder f;
        f.settings.GPSType = r.gpsType;
        f.Feed(r.bytes);
        if (r.position.empty()) {
            if (std::string(r.name) != "no fix") {
                EXPECT_EQ(f.reader.Parsed(), 0u) << r.name;
            }
        } else {
            EXPECT_EQ(Text(f.state.Fields), r.position) << r.name;
            EXPECT_EQ(f.state.Age, 0) << r.name;
        }
        EXPECT_EQ(!f.shown.empty(), r.shown) << r.name;
    }
}

TEST(GpsSentences, GgaValues) {
    GpsFields f;
    ASSERT_TRUE(
        ParseGga("$GPGGA,123519.25,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", f));
    EXPECT_STREQ(f.UtcTimeText.data(), "12:35:19.25");
    EXPECT_EQ(f.FixQuality, 1);
    EXPECT_EQ(f.Satellites, 8);
    EXPECT_FLOAT_EQ(f.Hdop, 0.9f);
    EXPECT_FLOAT_EQ(f.Altitude, 545.4f);
    EXPECT_FLOAT_EQ(f.ThirdValue, 0.0f);
    // Hundredths come from the digits: .60 is not 59 after a binary round trip.
    ASSERT_TRUE(
        ParseGga("$GPGGA,132820.60,4134.49821229,N,09345.03351845,W,2,09,1.0,278.020,M,"
                 "-31.442,M,7.6,0133*7E",
                 f));
    EXPECT_STREQ(f.UtcTimeText.data(), "13:28:20.60");
    EXPECT_EQ(Text(f), " 41.34.498 N093.45.033 W");
    EXPECT_EQ(f.FixQuality, 2);
    EXPECT_FLOAT_EQ(f.Altitude, 278.02f);
    // A field of digits, "." and "-" after the altitude is kept as the third value.
    ASSERT_TRUE(ParseGga("$GPGGA,010203,4807.038,N,01131.000,E,1,08,0.9,-5.5,-12.5,M,,*00", f));
    EXPECT_FLOAT_EQ(f.Altitude, -5.5f);
    EXPECT_FLOAT_EQ(f.ThirdValue, -12.5f);
    EXPECT_STREQ(f.UtcTimeText.data(), "01:02:03.00");
}

TEST(GpsSentences, ShortCoordinatesLeaveTheirPositionsUntouched) {
    GpsFields f;
    ASSERT_TRUE(ParseGll("$GPGLL,4916.4500,N,12311.1200,W,225444,A", f));
    // Three latitude digits rewrite 2, 4, 5; two longitude decimals leave position 21.
    ASSERT_TRUE(ParseGll("$GPGLL,816.7,S,311.12,E,225444,A", f));
    EXPECT_EQ(Text(f), " 48.16.750 S123.11.120 E");
    // A single digit reaches position 5 only.
    ASSERT_TRUE(ParseGll("$GPGLL,3.1,N,4.2,W,225444,A", f));
    EXPECT_EQ(Text(f), " 48.13.150 N123.14.220 W");
}

TEST(GpsLines, LongBinaryAndCutLinesNeverReachTheParser) {
    Feeder f;
    f.settings.GPSType = 1;
    const std::string good =
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    std::string longLine = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    longLine += std::string(NmeaLineAssembler::MaxLine + 1 - longLine.size(), '9');
    f.Feed(longLine + "\r\n");
    EXPECT_EQ(f.reader.Parsed(), 0u);
    // One character less is the longest line taken (an RTK receiver's GGA is about 90).
    longLine.pop_back();
    f.Feed(longLine + "\r\n");
    EXPECT_EQ(f.reader.Parsed(), 1u);
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    f.Feed(binary);
    f.Feed("$GPGGA,1235");  // cut off, then a whole sentence on a fresh line
    f.Feed("\n");
    f.Feed(good);
    EXPECT_EQ(Text(f.state.Fields), " 48.07.038 N011.31.000 E");
    EXPECT_LE(f.reader.LinePosition(), NmeaLineAssembler::MaxLine);
    // Carriage returns alone never fill the line.
    f.Feed(std::string(300, '\r'));
    EXPECT_LE(f.reader.LinePosition(), NmeaLineAssembler::MaxLine + 2);
}

// Every GGA (or GLL) sentence of the receiver captures, sent as the receiver sent it (each
// line ended in CR LF), is parsed; positions keep their layout.
TEST(GpsLines, ReceiverCaptures) {
    struct Capture {
        const char* file;
        int gga, gll;
    } captures[] = {{"garmin-geko201.log", 18, 18},
                    {"telit-he910.log", 224, 224},
                    {"sirfstarv-nmea.log", 118, 0},
                    {"haicom-305N.log", 73, 0},
                    {"nmea-fuzzy-cases.log", 14, 0}};
    for (const Capture& c : captures) {
        for (int type : {1, 0}) {
            Feeder f;
            f.settings.GPSType = type;
            std::ifstream in(std::string(TARVISK_SOURCE_DIR) + "/tests/fuzz/seeds/nmea_fuzz/" +
                             c.file);
            ASSERT_TRUE(in) << c.file;
            std::string line;
            while (std::getline(in, line)) {
                if (line.empty() || line[0] == '#')
                    continue;
                f.Feed(line + "\r\n");
            }
            EXPECT_EQ(f.reader.Parsed(), static_cast<uint64_t>(type ? c.gga : c.gll)) << c.file;
            if (f.reader.Parsed() > 0 && !f.shown.empty()) {
                const std::string t = Text(f.state.Fields);
                EXPECT_EQ(t[3], '.') << c.file;
                EXPECT_TRUE(t[11] == 'N' || t[11] == 'S') << c.file << " " << t;
                EXPECT_TRUE(t[23] == 'E' || t[23] == 'W') << c.file << " " << t;
            }
        }
    }
}

TEST(GpsInput, BaudTable) {
    EXPECT_EQ(GpsBaudRate(0), 4800);
    EXPECT_EQ(GpsBaudRate(3), 38400);
    EXPECT_EQ(GpsBaudRate(5), 115200);
    EXPECT_EQ(GpsBaudRate(6), 4800);
    EXPECT_EQ(GpsBaudRate(-1), 4800);
}

}  // namespace
}  // namespace tarvisk
