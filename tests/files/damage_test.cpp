// Damaged data files: every whole record is reached in both directions and counted by the
// summary, whatever lies between them; long damaged stretches are crossed in short steps.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "files/copier.h"
#include "files/file_commands.h"
#include "files/ksd_info.h"
#include "files/player.h"
#include "ksd_test_util.h"

namespace tarvisk {
namespace {

struct Rig {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    test::RecordingUi ui;
    test::ShotLog log{reply};
    Copier copier{ui};
    Player player{settings, expected, reply, ui, log, copier};
};

struct Damaged {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<int> forward;   // the records forward play shows, in order
    std::vector<int> backward;  // the whole records backward play can reach
    int64_t damageOffset = 0, damageLength = 0, recordsAfter = 0;
    int64_t tail = 0;  // bytes of a torn record at the end
};

constexpr size_t RecordBytes640 = 640;

void Append(std::vector<uint8_t>& file, int id, int32_t& previous) {
    SonarSettings settings;
    test::AppendRecord(file, test::MakeReply('G', 513, static_cast<uint8_t>(id)), 3, settings,
                       previous);
}

std::vector<int> Range(int from, int to) {
    std::vector<int> ids;
    for (int i = from; i <= to; ++i)
        ids.push_back(i);
    return ids;
}

std::vector<Damaged> Cases() {
    std::vector<Damaged> cases;
    std::mt19937 random(11);
    {
        Damaged d{"random bytes between two runs", {}, Range(1, 100), Range(1, 100)};
        int32_t previous = 0;
        for (int id = 1; id <= 50; ++id)
            Append(d.bytes, id, previous);
        d.damageOffset = static_cast<int64_t>(d.bytes.size());
        for (int i = 0; i < 777; ++i)
            d.bytes.push_back(static_cast<uint8_t>(random()));
        d.damageLength = 777;
        for (int id = 51; id <= 100; ++id)
            Append(d.bytes, id, previous);
        d.recordsAfter = 50;
        cases.push_back(d);
    }
    {
        Damaged d{"a header overwritten", {}, {}, {}};
        int32_t previous = 0;
        for (int id = 1; id <= 60; ++id)
            Append(d.bytes, id, previous);
        d.damageOffset = 29 * RecordBytes640;
        std::fill_n(d.bytes.begin() + d.damageOffset, 100, 0xAA);
        d.damageLength = RecordBytes640;
        d.forward = Range(1, 29);
        for (int id : Range(31, 60))
            d.forward.push_back(id);
        d.backward = d.forward;
        d.recordsAfter = 30;
        cases.push_back(d);
    }
    {
        Damaged d{"zeros and a torn tail", {}, Range(1, 40), Range(1, 40)};
        int32_t previous = 0;
        for (int id = 1; id <= 20; ++id)
            Append(d.bytes, id, previous);
        d.damageOffset = static_cast<int64_t>(d.bytes.size());
        d.damageLength = 20000;
        d.bytes.resize(d.bytes.size() + 20000, 0);
        for (int id = 21; id <= 40; ++id)
            Append(d.bytes, id, previous);
        d.recordsAfter = 20;
        std::vector<uint8_t> torn;
        Append(torn, 41, previous);
        d.bytes.insert(d.bytes.end(), torn.begin(), torn.begin() + 300);
        d.tail = 300;
        cases.push_back(d);
    }
    {
        // A record cut short and the recording going on after it (a file put together from
        // a crashed run and the next): the short one is damage, the next is not lost.
        Damaged d{"a record cut short by the next", {}, {}, {}};
        int32_t previous = 0;
        for (int id = 1; id <= 20; ++id)
            Append(d.bytes, id, previous);
        std::vector<uint8_t> cut;
        Append(cut, 21, previous);
        d.damageOffset = static_cast<int64_t>(d.bytes.size());
        d.bytes.insert(d.bytes.end(), cut.begin(), cut.begin() + 300);
        d.damageLength = 300;
        for (int id = 22; id <= 40; ++id)
            Append(d.bytes, id, previous);
        d.backward = Range(1, 20);
        for (int id : Range(22, 40))
            d.backward.push_back(id);
        d.forward = d.backward;
        d.recordsAfter = 19;
        cases.push_back(d);
    }
    {
        // The same, with the short record's stated length ending exactly where the next one
        // ends: everything after it reads whole, and only the back-links tell.
        Damaged d{"a record cut short hiding the next", {}, {}, {}};
        int32_t previous = 0;
        for (int id = 1; id <= 20; ++id)
            Append(d.bytes, id, previous);
        std::vector<uint8_t> cut;
        Append(cut, 21, previous);
        d.damageOffset = static_cast<int64_t>(d.bytes.size());
        d.bytes.insert(d.bytes.end(), cut.begin(), cut.begin() + 384);
        d.damageLength = 384;
        test::AppendRecord(d.bytes, test::MakeReply('M', 141, 22), 1, SonarSettings{}, previous);
        for (int id = 23; id <= 40; ++id)
            Append(d.bytes, id, previous);
        d.backward = Range(1, 20);
        for (int id : Range(22, 40))
            d.backward.push_back(id);
        d.forward = d.backward;
        d.recordsAfter = 19;
        cases.push_back(d);
    }
    return cases;
}

// Plays from the start until the end of the file; the ids shown.
std::vector<int> PlayForward(Rig& rig) {
    rig.log.shown.clear();
    rig.player.DrawNextRecord();
    for (int i = 0; i < 1000; ++i)
        if (rig.player.Step() == StepResult::EndOfFile)
            break;
    return rig.log.shown;
}

// Backward play as the links and the wrap make it over the whole records `ids`: after the
// record with index i comes i - 1, and from the second record the wrap leads to the
// second-to-last.
std::vector<int> ReverseReference(const std::vector<int>& ids, size_t first, size_t steps) {
    std::vector<int> out;
    size_t i = first;
    for (size_t s = 0; s < steps; ++s) {
        out.push_back(ids[i]);
        i = i >= 2 ? i - 1 : ids.size() - 2;
    }
    return out;
}

TEST(DamagedFile, PlaysEveryWholeRecordForwardAndBackward) {
    test::TempDir dir;
    for (const Damaged& d : Cases()) {
        SCOPED_TRACE(d.name);
        const std::string path = dir.File("damaged.ksd");
        test::WriteFile(path, d.bytes, d.bytes.size());
        Rig rig;
        ASSERT_TRUE(rig.player.Open(path));
        EXPECT_EQ(PlayForward(rig), d.forward);
        // Round again: the end of the file (torn tail included) loops to the start.
        EXPECT_EQ(rig.player.Step(), StepResult::Skipped);
        EXPECT_EQ(rig.reply.bytes[11], d.forward[0]);

        Rig back;
        ASSERT_TRUE(back.player.Open(path));
        back.player.DrawNextRecord();
        for (int i = 0; i < 3; ++i)
            back.player.Step();
        back.player.SetReverse(true);
        ASSERT_TRUE(back.player.Reverse());
        back.log.shown.clear();
        const size_t steps = 2 * d.backward.size() + 5;
        for (size_t i = 0; i < steps; ++i)
            ASSERT_NE(back.player.Step(), StepResult::EndOfFile);
        EXPECT_EQ(back.log.shown, ReverseReference(d.backward, 3, steps));
    }
}

TEST(DamagedFile, SummaryListsEachDamagedStretch) {
    test::TempDir dir;
    for (const Damaged& d : Cases()) {
        SCOPED_TRACE(d.name);
        const std::string path = dir.File("info.ksd");
        test::WriteFile(path, d.bytes, d.bytes.size());
        const KsdSummary s = SummarizeKsdFile(path);
        ASSERT_TRUE(s.Opened);
        EXPECT_EQ(s.Records, static_cast<int64_t>(d.backward.size()));
        ASSERT_EQ(s.Damaged.size(), 1u);
        EXPECT_EQ(s.Damaged[0].Offset, d.damageOffset);
        EXPECT_EQ(s.Damaged[0].Length, d.damageLength);
        EXPECT_EQ(s.Damaged[0].RecordsAfter, d.recordsAfter);
        EXPECT_EQ(s.FileSize - s.WholeEnd, d.tail);
        EXPECT_EQ(s.BrokenBackLinks, 0);  // the link after the damage counts what was there
        int64_t sizeCodes = 0, replyTypes = 0;
        for (int64_t n : s.SizeCodes)
            sizeCodes += n;
        for (int64_t n : s.ReplyTypes)
            replyTypes += n;
        EXPECT_EQ(sizeCodes, s.Records);
        EXPECT_EQ(replyTypes, s.Records);
    }
}

TEST(DamagedFile, CopyHoldsOnlyTheWholeRecords) {
    test::TempDir dir;
    for (const Damaged& d : Cases()) {
        SCOPED_TRACE(d.name);
        const std::string path = dir.File("damaged.ksd");
        const std::string copy = dir.File("copy.ksd");
        test::WriteFile(path, d.bytes, d.bytes.size());
        Rig rig;
        ASSERT_TRUE(rig.player.Open(path));
        ASSERT_TRUE(rig.copier.Start(copy));
        PlayForward(rig);
        rig.copier.Stop();

        const KsdSummary s = SummarizeKsdFile(copy);
        EXPECT_EQ(s.Records, static_cast<int64_t>(d.forward.size()));
        EXPECT_TRUE(s.Damaged.empty());
        EXPECT_EQ(s.WholeEnd, s.FileSize);
        EXPECT_EQ(s.BrokenBackLinks, 0);
        Rig replay;
        ASSERT_TRUE(replay.player.Open(copy));
        EXPECT_EQ(PlayForward(replay), d.forward);
    }
}

TEST(DamagedFile, NothingToPlayIsHeldWithAMessage) {
    test::TempDir dir;
    std::vector<uint8_t> junk{'K', 'S', 'D'};
    std::mt19937 random(5);
    for (int i = 0; i < 5000; ++i)
        junk.push_back(static_cast<uint8_t>(random()));
    const std::vector<std::vector<uint8_t>> files{{'K', 'S', 'D'}, junk};
    for (const auto& bytes : files) {
        SCOPED_TRACE(bytes.size());
        const std::string path = dir.File("empty.ksd");
        test::WriteFile(path, bytes, bytes.size());
        SonarSettings settings;
        settings.RunMode = 1;
        ExpectedReply expected;
        ReplyBuffer reply;
        test::RecordingUi ui;
        test::ShotLog log{reply};
        FileCommands commands{settings, expected, reply, ui, log};
        ASSERT_TRUE(commands.OpenPlaybackFile(path));
        int steps = 0;
        while (commands.PlaybackRunning() && steps < 100) {
            commands.PlayStep();
            ++steps;
        }
        EXPECT_FALSE(commands.PlaybackRunning());
        EXPECT_EQ(settings.Hold, 1);
        EXPECT_EQ(ui.Count("warning"), 1);
        EXPECT_TRUE(log.shown.empty());
    }
}

TEST(DamagedFile, LongEmptyStretchIsCrossedInShortSteps) {
    test::TempDir dir;
    const std::string path = dir.File("hole.ksd");
    std::vector<uint8_t> head, tailRecords;
    int32_t previous = 0;
    for (int id = 1; id <= 3; ++id)
        Append(head, id, previous);
    for (int id = 4; id <= 6; ++id)
        Append(tailRecords, id, previous);
    // 64 MiB of nothing between them, as a sparse file, so the test writes little.
    const int64_t hole = 64 << 20;
    test::WriteFile(path, head, head.size());
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(head.size() + hole)), 0);
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(tailRecords.data()),
                  static_cast<std::streamsize>(tailRecords.size()));
    }

    Rig rig;
    ASSERT_TRUE(rig.player.Open(path));
    rig.player.DrawNextRecord();
    int searching = 0;
    auto longest = std::chrono::steady_clock::duration::zero();
    for (int i = 0; i < 1000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const StepResult r = rig.player.Step();
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
        if (r == StepResult::EndOfFile)
            break;
        searching += r == StepResult::Searching;
    }
    EXPECT_EQ(rig.log.shown, Range(1, 6));
    // About a megabyte a step: each takes milliseconds (generous for sanitizer builds).
    EXPECT_GE(searching, 32);
    EXPECT_LT(longest, std::chrono::milliseconds(1000));

    // A slider jump into the hole answers at once and the steps after it find record 4.
    const auto start = std::chrono::steady_clock::now();
    rig.player.Seek(10);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_TRUE(rig.player.Searching());
    rig.log.shown.clear();
    rig.player.DrawNextRecord();  // the end of the file above left the next record undrawn
    for (int i = 0; i < 1000 && rig.log.shown.empty(); ++i)
        rig.player.Step();
    EXPECT_EQ(rig.log.shown, std::vector<int>{4});
}

TEST(DamagedFile, SpecialFilesAreRefusedWithoutWaiting) {
    test::TempDir dir;
    const std::string fifo = dir.File("pipe.ksd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opening a FIFO for reading or writing would wait for the other end forever.
    Rig rig;
    EXPECT_FALSE(rig.player.Open(fifo));
    EXPECT_FALSE(SummarizeKsdFile(fifo).Opened);
    RecordWriter writer;
    EXPECT_FALSE(writer.Open(fifo));
    EXPECT_NE(writer.FailureText().find("a FIFO"), std::string_view::npos);
    EXPECT_NE(NonRegularFileText(dir.File("")).find("a folder"), std::string::npos);
    EXPECT_EQ(NonRegularFileText(dir.File("missing.ksd")), "");
}

}  // namespace
}  // namespace tarvisk
