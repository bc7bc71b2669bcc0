// ksd csv: the rows a spreadsheet or pandas reads, checked through Python's own csv module.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/csv_export.h"
#include "export/ksd_shot_walk.h"
#include "export/record_values.h"
#include "tests/export/export_fixture.h"

namespace tarvisk::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CsvExportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new ExportDir;
        SurveyPlan plan;
        plan.seconds = 12.0;
        recording_ = WriteSimulatedSurvey(dir_->File("survey.ksd"), plan);
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string Survey() { return dir_->File("survey.ksd"); }
    static ExportDir* dir_;
    static SurveyRecording recording_;
};
ExportDir* CsvExportTest::dir_ = nullptr;
SurveyRecording CsvExportTest::recording_;

// Python reads the file with csv.DictReader and prints the columns back as plain numbers.
constexpr const char* ReadBack = R"PY(
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.DictReader(f))
print(len(rows))
for r in rows:
    vals = [r['record'], r['offset'], r['mode'], r['bearing_deg'], r['latitude_deg'],
            r['longitude_deg'], r['heading_deg'], r['pitch_deg'], r['roll_deg'],
            r['profile_range_m'], r['time']]
    print(' '.join(v if v != '' else '-' for v in vals))
)PY";

// Reads the export of ksd back through Python and compares each row with the shot as the
// walk decodes it; returns the rows read.
int64_t CheckReadBack(const std::string& ksd, const std::string& csv, const std::string& script,
                      std::map<std::string, int>& modes) {
    const CsvExportResult r = ExportCsv({ksd, csv, false});
    EXPECT_TRUE(r.ok) << r.error;
    std::ofstream(script) << ReadBack;
    int status = 0;
    std::istringstream back(RunCommand("python3 " + script + " " + csv, &status));
    EXPECT_EQ(status, 0);
    int64_t rows = 0;
    back >> rows;
    EXPECT_EQ(rows, r.rows);

    KsdShotWalk walk;
    EXPECT_TRUE(walk.Open(ksd, nullptr));
    int64_t checked = 0;
    while (walk.Next() && checked < rows) {
        if (!walk.IsHeadShot())
            continue;
        std::string record, offset, mode, bearing, lat, lon, heading, pitch, roll, profile, time;
        back >> record >> offset >> mode >> bearing >> lat >> lon >> heading >> pitch >> roll >>
            profile >> time;
        EXPECT_EQ(std::stoll(record), walk.RecordNumber());
        EXPECT_EQ(std::stoll(offset), walk.Offset());
        ++modes[mode];
        const double b = std::fmod(walk.link.Shot.HeadAngleDegrees + 360.0, 360.0);
        EXPECT_NEAR(std::stod(bearing), b, 0.006);
        // The module's filtered values once it has answered.
        if (walk.OrientationSeen()) {
            EXPECT_NEAR(std::stod(heading), walk.orientation.FilteredHeading, 0.051);
            EXPECT_NEAR(std::stod(pitch), walk.orientation.FilteredPitch, 0.051);
            EXPECT_NEAR(std::stod(roll), walk.orientation.FilteredRoll, 0.051);
        } else {
            EXPECT_EQ(heading + pitch + roll, "---");
        }
        GeoPosition p;
        if (walk.played.HasGps && PositionFromText(walk.played.Gps.PositionText, p)) {
            EXPECT_NEAR(std::stod(lat), p.latitude, 5e-8);
            EXPECT_NEAR(std::stod(lon), p.longitude, 5e-8);
        } else {
            EXPECT_EQ(lat + lon, "--");
        }
        EXPECT_EQ(time.size(), 22u);
        ++checked;
    }
    EXPECT_EQ(checked, rows);
    return rows;
}

TEST_F(CsvExportTest, PythonsCsvModuleReadsTheDecodedValuesOfASimulatedSurvey) {
    if (!HaveProgram("python3"))
        GTEST_SKIP() << "python3 is not installed";
    std::map<std::string, int> modes;
    EXPECT_EQ(CheckReadBack(Survey(), dir_->File("survey.csv"), dir_->File("read.py"), modes),
              recording_.shots);
    EXPECT_EQ(modes["Polar"], recording_.shots);
    // The simulated boat's heading and place.
    std::ifstream in(dir_->File("survey.csv"));
    std::string line;
    std::getline(in, line);
    int withFix = 0;
    while (std::getline(in, line)) {
        if (line.find(",40.397") != std::string::npos)
            ++withFix;
    }
    EXPECT_GT(withFix, recording_.shots / 2);
}

TEST_F(CsvExportTest, PythonsCsvModuleReadsTheGoldenRecordingInEveryMode) {
    if (!HaveProgram("python3"))
        GTEST_SKIP() << "python3 is not installed";
    const std::string golden = std::string(TARVISK_SOURCE_DIR) + "/tests/golden/harbour.ksd";
    std::map<std::string, int> modes;
    // Orientation-only records are no rows: 300 records, 26 of them "O".
    EXPECT_EQ(CheckReadBack(golden, dir_->File("golden.csv"), dir_->File("read.py"), modes), 274);
    EXPECT_GT(modes["Sector"], 0);
    EXPECT_GT(modes["Polar"], 0);
    EXPECT_GT(modes["SS"], 0);
    EXPECT_GT(modes["Profile"], 0);
}

TEST_F(CsvExportTest, TheGoldenRecordingsRowsAreAsCheckedIn) {
    const std::string golden = std::string(TARVISK_SOURCE_DIR) + "/tests/golden/harbour.ksd";
    ASSERT_TRUE(ExportCsv({golden, dir_->File("harbour.csv"), false}).ok);
    const bool same = ReadAll(dir_->File("harbour.csv")) ==
                      ReadAll(std::string(TARVISK_SOURCE_DIR) + "/tests/export/harbour.csv");
    EXPECT_TRUE(same) << "a changed export: diff " << dir_->File("harbour.csv")
                      << " with tests/export/harbour.csv";
}

TEST_F(CsvExportTest, HeaderRowAndLineEndsFollowRfc4180) {
    const std::string csv = dir_->File("header.csv");
    ASSERT_TRUE(ExportCsv({Survey(), csv, false}).ok);
    const std::string text = ReadAll(csv);
    const std::string header = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(header,
              "record,offset,time,mode,range_m,gain_db,frequency_khz,bearing_deg,"
              "profile_range_m,sound_velocity_mps,latitude_deg,longitude_deg,gps_utc,"
              "heading_deg,pitch_deg,roll_deg,azimuth_deg");
    // Every line ends in CR LF and has the header's seventeen columns.
    size_t lines = 0, at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "a line without CR LF";
        const std::string line = text.substr(at, end - at);
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 16) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        at = end + 2;
        ++lines;
    }
    EXPECT_EQ(static_cast<int64_t>(lines), recording_.shots + 1);
}

TEST_F(CsvExportTest, DecimalsArePointsInACommaLocale) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale on this machine";
    std::locale::global(std::locale(""));
    const std::string csv = dir_->File("locale.csv");
    const CsvExportResult r = ExportCsv({Survey(), csv, false});
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
    ASSERT_TRUE(r.ok);
    const std::string text = ReadAll(csv);
    const std::string rows = text.substr(text.find("\r\n") + 2, 100000);
    EXPECT_NE(rows.find(",1500.0,"), std::string::npos);
    EXPECT_NE(rows.find(",30.0,"), std::string::npos);
    EXPECT_NE(rows.find(",40.39"), std::string::npos);
}

TEST_F(CsvExportTest, SamplesFollowAsTheShotsEchoLine) {
    const std::string csv = dir_->File("samples.csv");
    ASSERT_TRUE(ExportCsv({Survey(), csv, true}).ok);
    std::ifstream in(csv);
    std::string header, row;
    std::getline(in, header);
    std::getline(in, row);
    EXPECT_NE(header.find(",azimuth_deg,s0,s1,"), std::string::npos);
    KsdShotWalk walk;
    ASSERT_TRUE(walk.Open(Survey(), nullptr));
    while (walk.Next() && !walk.IsHeadShot()) {
    }
    // Columns after the seventeenth are the echo levels.
    std::vector<std::string> fields;
    std::stringstream s(row.substr(0, row.size() - 1));
    for (std::string f; std::getline(s, f, ',');)
        fields.push_back(f);
    ASSERT_GE(fields.size(), 17u + size_t(walk.link.Shot.EchoLevelCount));
    for (int32_t i = 0; i < walk.link.Shot.EchoLevelCount; ++i)
        ASSERT_EQ(std::stoi(fields[17 + size_t(i)]), walk.link.Shot.EchoLine[size_t(i)]) << i;
}

TEST_F(CsvExportTest, DamageInTheMiddleLosesOnlyTheRecordItHits) {
    std::string bytes = ReadAll(Survey());
    // Overwrite the middle of one record with noise.
    const size_t at = bytes.size() / 2;
    for (size_t i = 0; i < 300; ++i)
        bytes[at + i] = static_cast<char>(0x5A ^ i);
    const std::string damaged = dir_->File("damaged.ksd");
    std::ofstream(damaged, std::ios::binary) << bytes;
    const CsvExportResult r = ExportCsv({damaged, dir_->File("damaged.csv"), false});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.damaged, 1);
    EXPECT_GE(r.rows, recording_.shots - 2);
    EXPECT_LT(r.rows, recording_.shots);
}

TEST_F(CsvExportTest, RecordingsWithoutGpsOrModuleLeaveThoseColumnsEmpty) {
    SurveyPlan plan;
    plan.seconds = 3.0;
    plan.gps = false;
    plan.orientation = false;
    const std::string bare = dir_->File("bare.ksd");
    WriteSimulatedSurvey(bare, plan);
    const std::string csv = dir_->File("bare.csv");
    ASSERT_TRUE(ExportCsv({bare, csv, false}).ok);
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    // ...,sound_velocity_mps,,,,,,,<azimuth empty> : nothing between the velocity and the end.
    EXPECT_NE(line.find(",1500.0,,,,,,,\r"), std::string::npos) << line;
}

TEST_F(CsvExportTest, SomethingThatIsNoRecordingIsRefusedWithAMessage) {
    const std::string text = dir_->File("notes.txt");
    std::ofstream(text) << "not sonar data\n";
    const CsvExportResult r = ExportCsv({text, dir_->File("x.csv"), false});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("not a sonar data file"), std::string::npos);
    EXPECT_FALSE(ExportCsv({dir_->File("missing.ksd"), dir_->File("y.csv"), false}).ok);
}

}  // namespace
}  // namespace tarvisk::test
