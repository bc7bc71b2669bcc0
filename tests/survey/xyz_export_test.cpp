#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/xyz_export.h"
#include "files/xyz_file_name.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

ProfileRecordBytes Entry(float range, float bearing, const char* stamp = "07-DEC-2026  10:11:12.34",
                         const char* gps = "") {
    ProfileRecord r;
    std::strncpy(r.TimeStamp.data(), stamp, r.TimeStamp.size() - 1);
    std::strncpy(r.GpsPosition.data(), gps, r.GpsPosition.size() - 1);
    r.GpsAltitude = std::bit_cast<int32_t>(12.5f);
    r.Range = range;
    r.Bearing = bearing;
    return WriteProfileRecord(r);
}

// A log whose only written entry is the middle one.
std::vector<ProfileRecordBytes> OnePoint(float range, float bearing) {
    return {Entry(99, 99), Entry(range, bearing), Entry(99, 99)};
}

XyzOptions PointsOnly() {
    XyzOptions o;
    o.Timestamp = false;
    o.LatLongElevation = false;
    o.RangeHorVer = false;
    o.PitchRollHeading = false;
    return o;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream s(line);
    std::string f;
    while (std::getline(s, f, '\t'))
        fields.push_back(f);
    return fields;
}

TEST(XyzVertical, HeaderAndZeroDownSign) {
    XyzOptions o = PointsOnly();
    o.Elevation = 5.0f;
    o.ZeroDown = false;
    const auto log = OnePoint(10.0f, 0.0f);
    std::vector<std::string> lines = Lines(FormatVerticalProfile(log, o));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "0000.00,M");
    EXPECT_EQ(lines[1], "0005.00");
    EXPECT_EQ(lines[2], "0000.00");
    EXPECT_EQ(lines[3], "1500.00");
    EXPECT_EQ(lines[4], " 00.000\t 00.000\t-05.000");

    o.ZeroDown = true;
    lines = Lines(FormatVerticalProfile(log, o));
    EXPECT_EQ(lines[4], " 00.000\t 00.000\t 15.000");
}

TEST(XyzVertical, HeaderKeepsSevenCharacters) {
    XyzOptions o = PointsOnly();
    o.Chainage = 1234.5678f;
    o.Elevation = 12345.678f;
    o.XOffset = -2.0f;
    const std::vector<std::string> lines = Lines(FormatVerticalProfile({}, o));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "1234.57,M");
    EXPECT_EQ(lines[1], "12345.6");
    EXPECT_EQ(lines[2], "-002.00");
}

TEST(XyzVertical, FeetConvertRangesAndVelocityButNotOffsets) {
    XyzOptions o = PointsOnly();
    o.Feet = true;
    o.XOffset = 1.0f;
    o.Chainage = 2.0f;
    // 90 degrees puts the whole range in X.
    const std::vector<std::string> lines = Lines(FormatVerticalProfile(OnePoint(10.0f, 90.0f), o));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "0002.00,F");
    EXPECT_EQ(lines[2], "0001.00");
    EXPECT_EQ(lines[3], "4921.26");
    const auto f = Fields(lines[4]);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], " 33.808");  // 10 m = 32.808 ft, plus the 1.0 offset as typed
    EXPECT_EQ(f[1], " 02.000");
}

TEST(XyzVertical, AllColumnsInOrder) {
    XyzOptions o;  // everything on
    o.SoundVelocity = 1500.0f;
    std::vector<ProfileRecordBytes> log = OnePoint(4.0f, 30.0f);
    ProfileRecord r = ReadProfileRecord(log[1]);
    std::strcpy(r.GpsPosition.data(), " 4916.45,N 12311.12,W  ");
    r.Pitch = 1.5f;
    r.Roll = -2.0f;
    r.Heading = 270.0f;
    log[1] = WriteProfileRecord(r);
    const std::vector<std::string> lines = Lines(FormatVerticalProfile(log, o));
    ASSERT_EQ(lines.size(), 5u);
    const auto f = Fields(lines[4]);
    ASSERT_EQ(f.size(), 14u);
    EXPECT_EQ(f[0], "07-DEC-2026");
    EXPECT_EQ(f[1], "10:11:12.34");
    EXPECT_EQ(f[2], "4916.45,N 1");
    EXPECT_EQ(f[3], "2311.12,W   ");
    EXPECT_EQ(f[4], " 12.500");
    EXPECT_EQ(f[5], " 04.000");  // range
    EXPECT_EQ(f[6], " 00.000");  // horizontal angle
    EXPECT_EQ(f[7], " 30.000");  // entry angle
    EXPECT_EQ(f[8], " 01.500");
    EXPECT_EQ(f[9], "-02.000");
    EXPECT_EQ(f[10], " 270.000");
    EXPECT_EQ(f[11], " 02.000");  // 4 sin 30
}

TEST(XyzVertical, NoPositionMeansNoPositionColumns) {
    XyzOptions o;
    o.RangeHorVer = false;
    o.PitchRollHeading = false;
    const std::vector<std::string> lines = Lines(FormatVerticalProfile(OnePoint(1, 0), o));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Fields(lines[4]).size(), 5u);  // date, time, x, y, z
}

TEST(XyzWriters, FirstAndLastEntriesAreLeftOut) {
    std::vector<ProfileRecordBytes> log(1200, Entry(3.0f, 45.0f));
    const XyzOptions o = PointsOnly();
    EXPECT_EQ(Lines(FormatVerticalProfile(log, o)).size(), 4u + 1198u);
    EXPECT_EQ(Lines(FormatHorizontalProfile(log, o)).size(), 1198u);
    // The azimuth block ends with one empty line.
    EXPECT_EQ(Lines(FormatAzimuthBlock(log, o, 600)).size(), 1199u);
    log.resize(2);
    EXPECT_EQ(Lines(FormatVerticalProfile(log, o)).size(), 4u);
    EXPECT_TRUE(FormatHorizontalProfile(log, o).empty());
    EXPECT_EQ(FormatAzimuthBlock(log, o, 600), "\r\n");
}

TEST(XyzHorizontal, ZeroX1IsTakenAsOneMillimetre) {
    XyzOptions o = PointsOnly();
    // Straight ahead, level: x1 is exactly 0.
    std::vector<std::string> lines = Lines(FormatHorizontalProfile(OnePoint(2.0f, 0.0f), o));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], " 000.001\t 002.000\t 000.000");

    o.XOffset = 10.0f;
    o.Chainage = -3.0f;
    o.Elevation = -1.5f;
    lines = Lines(FormatHorizontalProfile(OnePoint(2.0f, 90.0f), o));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], " 012.000\t-003.000\t-001.500");
}

TEST(XyzHorizontal, HeadingTurnsThePoint) {
    XyzOptions o = PointsOnly();
    std::vector<ProfileRecordBytes> log = OnePoint(2.0f, 90.0f);
    ProfileRecord r = ReadProfileRecord(log[1]);
    r.Heading = 90.0f;
    log[1] = WriteProfileRecord(r);
    const std::vector<std::string> lines = Lines(FormatHorizontalProfile(log, o));
    ASSERT_EQ(lines.size(), 1u);
    // pi is taken as 3.141592654, so a right angle leaves a tiny negative x: printed as -0.
    EXPECT_EQ(lines[0], "-000.000\t-002.000\t 000.000");
}

TEST(XyzAzimuth, DriveAngleAndLeverArm) {
    XyzOptions o = PointsOnly();
    o.RangeHorVer = true;
    // Drive at 0 degrees, beam 90 degrees off the vertical: all in x, the lever arm in y.
    std::vector<std::string> lines = Lines(FormatAzimuthBlock(OnePoint(5.0f, 90.0f), o, 600));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], " 05.000\t 00.000\t 90.000\t 05.000\t 00.085\t-00.000");
    EXPECT_EQ(lines[1], "");

    // Drive at 90 degrees (position 900): the point swings to -y, the lever arm to x.
    lines = Lines(FormatAzimuthBlock(OnePoint(5.0f, 90.0f), o, 900));
    EXPECT_EQ(lines[0], " 05.000\t 90.000\t 90.000\t 00.085\t-05.000\t-00.000");

    // Position 0 is -180 degrees, shown as 180.
    lines = Lines(FormatAzimuthBlock(OnePoint(5.0f, 0.0f), o, 0));
    EXPECT_EQ(Fields(lines[0])[1], " 180.000");
    o.ZeroDown = false;
    lines = Lines(FormatAzimuthBlock(OnePoint(5.0f, 0.0f), o, 600));
    EXPECT_EQ(Fields(lines[0])[5], "-05.000");
}

TEST(XyzAzimuth, HeadingRotatesWhenTheModuleColumnsAreOn) {
    XyzOptions o = PointsOnly();
    o.PitchRollHeading = true;
    std::vector<ProfileRecordBytes> log = OnePoint(5.0f, 90.0f);
    ProfileRecord r = ReadProfileRecord(log[1]);
    r.Heading = 90.0f;
    log[1] = WriteProfileRecord(r);
    const auto f = Fields(Lines(FormatAzimuthBlock(log, o, 600))[0]);
    ASSERT_EQ(f.size(), 6u);
    EXPECT_EQ(f[3], " 00.085");
    EXPECT_EQ(f[4], "-05.000");
}

class XyzFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tarvisk-xyz-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    void Touch(const std::string& name) { std::ofstream(dir / name) << "x"; }
    fs::path dir;
};

TEST_F(XyzFolder, NumbersFollowTheLargestAndRunOutAfter9999) {
    const std::string folder = dir.string();
    EXPECT_EQ(fs::path(NextXyzFilePath(folder, "07-DEC-2026  10:00:00")).filename(),
              "07DEC2026-0001.XYZ");
    Touch("07DEC2026-0001.XYZ");
    EXPECT_EQ(fs::path(NextXyzFilePath(folder, "07-DEC-2026")).filename(), "07DEC2026-0002.XYZ");
    Touch("07DEC2026-0041.XYZ");
    Touch("08DEC2026-0100.XYZ");  // another day
    Touch("07DEC2026-0500.BMP");  // another kind
    Touch("07DEC2026-12345.XYZ");
    EXPECT_EQ(NextSequenceNumber(folder, "07DEC2026", ".XYZ"), 42);
    Touch("07DEC2026-9998.XYZ");
    EXPECT_EQ(fs::path(NextXyzFilePath(folder, "07-DEC-2026")).filename(), "07DEC2026-9999.XYZ");
    // The last number is never handed out twice: nothing is written over.
    Touch("07DEC2026-9999.XYZ");
    EXPECT_EQ(NextSequenceNumber(folder, "07DEC2026", ".XYZ"), 0);
    EXPECT_EQ(NextXyzFilePath(folder, "07-DEC-2026"), "");
    EXPECT_NE(NumbersUsedUpText(folder, "07DEC2026", ".XYZ").find("07DEC2026-9999.XYZ"),
              std::string::npos);
}

TEST_F(XyzFolder, ALinkPlantedAtTheNextNameIsNotFollowed) {
    const fs::path victim = dir / "notes.txt";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, dir / "07DEC2026-0001.XYZ");
    XyzFile file;
    EXPECT_FALSE(file.Open((dir / "07DEC2026-0001.XYZ").string()));
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

TEST_F(XyzFolder, FileHoldsExactlyWhatWasWritten) {
    XyzFile file;
    const std::string path = (dir / "a.XYZ").string();
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.Write("1\t2\r\n"));
    EXPECT_TRUE(file.Write("\r\n"));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "1\t2\r\n\r\n");

    EXPECT_FALSE(file.Open((dir / "missing" / "b.XYZ").string()));
    EXPECT_FALSE(file.Write("x"));
}

TEST_F(XyzFolder, FullDiskIsReported) {
    const std::string path = (dir / "full.XYZ").string();
    // A file-size limit in a child stands in for the full disk.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3, 3};
        setrlimit(RLIMIT_FSIZE, &limit);
        XyzFile file;
        _exit(file.Open(path) && !file.Write("0001\r\n") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tarvisk
