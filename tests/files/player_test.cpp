#include "files/player.h"

#include <gtest/gtest.h>

#include <cstring>

#include "files/file_commands.h"
#include "files/ksd_reader.h"
#include "ksd_test_util.h"

namespace tarvisk {
namespace {

using test::MakeReply;

struct RecordShape {
    char type;
    size_t n;
    int32_t code;
    bool gps;
};

// Records of mixed sizes, so that every back-link step is a different distance.
constexpr RecordShape Mixed[] = {
    {'G', 513, 3, false}, {'M', 265, 2, false}, {'P', 13, 0, true},
    {'G', 513, 3, true},  {'M', 141, 1, false}, {'G', 265, 2, false},
};

struct TestFile {
    std::vector<uint8_t> bytes;
    std::vector<size_t> starts;  // start of each record, then the end
};

TestFile BuildFile(std::span<const RecordShape> shapes, bool zeroLinks = false) {
    SonarSettings settings;
    const GpsFix fix;
    TestFile file;
    int32_t previous = 0;
    for (size_t i = 0; i < shapes.size(); ++i) {
        file.starts.push_back(file.bytes.size());
        const RecordShape& s = shapes[i];
        test::AppendRecord(
            file.bytes, MakeReply(static_cast<uint8_t>(s.type), s.n, static_cast<uint8_t>(i + 1)),
            s.code, settings, previous, s.gps ? &fix : nullptr);
        if (zeroLinks)
            file.bytes[file.bytes.size() - 2] = file.bytes[file.bytes.size() - 1] = 0;
    }
    file.starts.push_back(file.bytes.size());
    return file;
}

TestFile ThreeSectorRecords() {
    const RecordShape shapes[] = {{'G', 513, 3, false}, {'G', 513, 3, false}, {'G', 513, 3, false}};
    return BuildFile(shapes);
}

// A player on its own fresh system, with the call recorders around it.
struct Rig {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    test::RecordingUi ui;
    test::ShotLog log{reply};
    Copier copier{ui};
    Player player{settings, expected, reply, ui, log, copier};

    // The record a step read (1-based), or 0 at the end of the file.
    int StepId() {
        StepResult r = player.Step();
        return r == StepResult::EndOfFile ? 0 : reply.bytes[11];
    }
};

TEST(Player, ForwardPlayLoopsAndSkipsTheRecordAfterTheEnd) {
    test::TempDir dir;
    const std::string path = dir.File("three.ksd");
    const TestFile file = ThreeSectorRecords();
    test::WriteFile(path, file.bytes, file.bytes.size());
    Rig rig;
    ASSERT_TRUE(rig.player.Open(path));

    struct Expect {
        StepResult result;
        int32_t percent;
    };
    const Expect steps[] = {
        {StepResult::Skipped, 33},  {StepResult::Shown, 67},   {StepResult::Shown, 100},
        {StepResult::EndOfFile, 0}, {StepResult::Skipped, 33}, {StepResult::Shown, 67},
    };
    for (const Expect& e : steps) {
        EXPECT_EQ(rig.player.Step(), e.result);
        EXPECT_EQ(rig.player.Percent(), e.percent);
    }
    EXPECT_EQ(rig.log.shown, (std::vector<int>{2, 3, 2}));
    EXPECT_EQ(rig.log.seeds, 1);
    // The played record tells the pipeline what reply to expect.
    EXPECT_EQ(rig.expected.ReplyType, 'G');
    EXPECT_EQ(rig.expected.ExpectedReplyLength, 513);
    EXPECT_EQ(rig.expected.RecordSizeCode, 3);
    EXPECT_EQ(rig.expected.SamplesPerLine, 250);  // recorded in polar mode
    EXPECT_TRUE(rig.player.ReverseAvailable());
}

TEST(Player, ReverseStepsBackAndWrapsToTheSecondToLastRecord) {
    test::TempDir dir;
    const std::string path = dir.File("mixed.ksd");
    const TestFile file = BuildFile(Mixed);
    test::WriteFile(path, file.bytes, file.bytes.size());
    Rig rig;
    ASSERT_TRUE(rig.player.Open(path));
    for (int id = 1; id <= 4; ++id)
        ASSERT_EQ(rig.StepId(), id);
    rig.player.SetReverse(true);
    ASSERT_TRUE(rig.player.Reverse());
    // The step after switching reads on, then turns back.
    std::vector<int> ids;
    for (int i = 0; i < 11; ++i)
        ids.push_back(rig.StepId());
    EXPECT_EQ(ids, (std::vector<int>{5, 4, 3, 2, 5, 4, 3, 2, 5, 4, 3}));
    EXPECT_TRUE(rig.player.SteppingBackwards());
    // Back to forward play: on from where reverse left off.
    rig.player.SetReverse(false);
    EXPECT_FALSE(rig.player.SteppingBackwards());
    EXPECT_EQ(rig.StepId(), 2);
    EXPECT_EQ(rig.StepId(), 3);
}

TEST(Player, FileWithoutBackLinksNeverOffersReverse) {
    test::TempDir dir;
    const std::string path = dir.File("old.ksd");
    const TestFile file = BuildFile(Mixed, true);
    test::WriteFile(path, file.bytes, file.bytes.size());
    Rig rig;
    ASSERT_TRUE(rig.player.Open(path));
    rig.StepId();
    EXPECT_FALSE(rig.player.ReverseAvailable());
    rig.player.SetReverse(true);
    EXPECT_FALSE(rig.player.Reverse());
    EXPECT_EQ(rig.StepId(), 2);
}

TEST(Player, SliderSeeksToTheNextRecordMagic) {
    test::TempDir dir;
    const std::string path = dir.File("seek.ksd");
    TestFile file = ThreeSectorRecords();
    // "KSD" in the echo data of record 2 must not be taken for a record start.
    std::memcpy(&file.bytes[640 + 300], "KSD", 3);
    test::WriteFile(path, file.bytes, file.bytes.size());
    Rig rig;
    ASSERT_TRUE(rig.player.Open(path));
    ASSERT_EQ(rig.StepId(), 1);

    rig.player.Seek(0);
    rig.player.Seek(100);
    EXPECT_EQ(rig.log.clears, 0);
    EXPECT_EQ(rig.StepId(), 2);  // no move

    rig.player.Seek(25);  // 480: inside record 1, next magic starts record 2
    EXPECT_EQ(rig.log.clears, 1);
    EXPECT_EQ(rig.StepId(), 2);
    rig.player.Seek(34);  // 652: inside record 2, past the false magic too
    EXPECT_EQ(rig.StepId(), 3);
    rig.player.Seek(99);  // no record starts after it: the next step is the end of the file
    EXPECT_EQ(rig.player.Step(), StepResult::EndOfFile);
    EXPECT_EQ(rig.player.Step(), StepResult::Skipped);
}

// The reference of backward play over k whole records, as the back-links and the wrap make
// it: after the record with index i comes i - 1, and from the second record the wrap leads
// to the second-to-last.
std::vector<int> ReverseReference(int k, int first, int steps) {
    std::vector<int> ids;
    int i = first;
    for (int s = 0; s < steps; ++s) {
        ids.push_back(i + 1);
        i = i - 1 >= 1 ? i - 1 : (k >= 2 ? k - 2 : 0);
    }
    return ids;
}

TEST(Player, FileCutAtEveryOffsetPlaysExactlyItsWholeRecords) {
    test::TempDir dir;
    const std::string path = dir.File("cut.ksd");
    const TestFile file = BuildFile(Mixed);
    for (size_t cut = 0; cut <= file.bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        test::WriteFile(path, file.bytes, cut);
        int whole = 0;
        while (file.starts[static_cast<size_t>(whole) + 1] <= cut &&
               whole < static_cast<int>(std::size(Mixed)))
            ++whole;
        Rig rig;
        if (!rig.player.Open(path)) {
            ASSERT_LT(cut, 3u);
            continue;
        }
        // Forward: every whole record in order, then the end, twice round.
        std::vector<int> forward, expected;
        for (int round = 0; round < 2; ++round) {
            for (int id = 1; id <= whole; ++id)
                expected.push_back(id);
            expected.push_back(0);
        }
        for (size_t s = 0; s < expected.size(); ++s)
            forward.push_back(rig.StepId());
        ASSERT_EQ(forward, expected);
        EXPECT_EQ(rig.player.Reader().WholeRecordsEnd(),
                  static_cast<int64_t>(file.starts[static_cast<size_t>(whole)]));
        if (whole == 0)
            continue;

        // Backward, after the first record has shown that the file has back-links.
        ASSERT_EQ(rig.StepId(), 1);
        rig.player.SetReverse(true);
        std::vector<int> backward, expectedBack;
        if (whole == 1)
            expectedBack.push_back(0);  // nothing after it: the end, then round
        for (int id : ReverseReference(whole, whole >= 2 ? 1 : 0, 3 * whole))
            expectedBack.push_back(id);
        for (size_t s = 0; s < expectedBack.size(); ++s)
            backward.push_back(rig.StepId());
        ASSERT_EQ(backward, expectedBack);
    }
}

TEST(Player, RefusesFilesWithoutTheMagic) {
    test::TempDir dir;
    const std::string path = dir.File("bad.ksd");
    test::WriteFile(path, {'K', 'S', 'X', 0, 0}, 5);
    Rig rig;
    EXPECT_FALSE(rig.player.Open(path));
    EXPECT_FALSE(rig.player.IsOpen());
    EXPECT_FALSE(rig.player.Open(dir.File("missing.ksd")));
    EXPECT_FALSE(rig.player.Open(dir.File("")));  // a directory
    EXPECT_EQ(rig.player.Step(), StepResult::NotOpen);
}

TEST(Player, CopyWritesForwardRecordsWithTheirOwnBackLinks) {
    test::TempDir dir;
    const std::string source = dir.File("source.ksd");
    const std::string copy = dir.File("copy.ksd");
    const TestFile file = BuildFile(Mixed);
    test::WriteFile(source, file.bytes, file.bytes.size());
    Rig rig;
    ASSERT_TRUE(rig.player.Open(source));
    rig.StepId();
    rig.StepId();  // at the end of record 2
    ASSERT_TRUE(rig.copier.Start(copy));
    rig.StepId();  // 3 copied
    rig.StepId();  // 4 copied
    rig.player.SetReverse(true);
    rig.StepId();  // 5 read backwards: not copied
    rig.StepId();  // 4 backwards
    rig.player.SetReverse(false);
    rig.StepId();  // 3 copied again
    rig.copier.Stop();

    const std::vector<uint8_t> out = test::ReadFile(copy);
    const size_t s3 = file.starts[3] - file.starts[2], s4 = file.starts[4] - file.starts[3];
    ASSERT_EQ(out.size(), s3 + s4 + s3);
    EXPECT_EQ(rig.copier.BytesCopied(), static_cast<int64_t>(out.size()));
    // Everything but the back-link is the source record.
    EXPECT_EQ(0, std::memcmp(out.data(), &file.bytes[file.starts[2]], s3 - 2));
    EXPECT_EQ(0, std::memcmp(&out[s3], &file.bytes[file.starts[3]], s4 - 2));
    EXPECT_EQ(ReadBigEndian16(&out[s3 - 2]), static_cast<int32_t>(s3));
    EXPECT_EQ(ReadBigEndian16(&out[s3 + s4 - 2]), static_cast<int32_t>(s3 + s4));
    EXPECT_EQ(ReadBigEndian16(&out[out.size() - 2]), static_cast<int32_t>(s4 + s3));

    // The copy plays backwards like a recording.
    Rig again;
    ASSERT_TRUE(again.player.Open(copy));
    again.StepId();
    again.player.SetReverse(true);
    EXPECT_EQ(again.StepId(), 4);  // back to the start: round to the second-to-last
    EXPECT_EQ(again.StepId(), 4);
}

TEST(PlaybackPace, PlotSpeedDelays) {
    const std::pair<int32_t, int32_t> table[] = {
        {100, 0},  {99, 0},   {95, 1},   {90, 2},   {85, 7},   {80, 10},
        {70, 22},  {60, 40},  {50, 100}, {45, 220}, {40, 240}, {30, 420},
        {20, 640}, {15, 850}, {10, 900}, {1, 1188}, {0, 1200},
    };
    for (auto [speed, ms] : table)
        EXPECT_EQ(PlotSpeedDelayMs(speed), ms) << speed;
}

TEST(PlaybackPace, SpeedStripBarAndArrows) {
    EXPECT_EQ(PlaybackSpeedStrip::BarWidth(100), 68);
    EXPECT_EQ(PlaybackSpeedStrip::BarWidth(0), 0);
    EXPECT_EQ(PlaybackSpeedStrip::BarWidth(55), 37);
    SharedInt speed{85};
    EXPECT_TRUE(PlaybackSpeedStrip::StepRight(speed));
    EXPECT_EQ(speed, 95);
    EXPECT_FALSE(PlaybackSpeedStrip::StepRight(speed));  // above 90: no step
    EXPECT_EQ(speed, 95);
    speed = 90;
    EXPECT_FALSE(PlaybackSpeedStrip::StepRight(speed));  // reaches 100: repeat ends
    EXPECT_EQ(speed, 100);
    speed = 15;
    EXPECT_TRUE(PlaybackSpeedStrip::StepLeft(speed));
    EXPECT_EQ(speed, 5);
    EXPECT_FALSE(PlaybackSpeedStrip::StepLeft(speed));
    EXPECT_EQ(speed, 5);
    speed = 10;
    EXPECT_FALSE(PlaybackSpeedStrip::StepLeft(speed));  // reaches 0
    EXPECT_EQ(speed, 0);
}

}  // namespace
}  // namespace tarvisk
