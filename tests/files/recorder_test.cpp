#include "files/recorder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "files/file_commands.h"
#include "files/ksd_reader.h"
#include "ksd_test_util.h"

namespace tarvisk {
namespace {

// A live reply with its number in the data, as the acquisition leaves it for the recorder.
void LoadReply(ReplyBuffer& reply, ExpectedReply& expected, uint8_t id) {
    const auto bytes = test::MakeReply('G', 513, id);
    std::memcpy(reply.bytes.data(), bytes.data(), bytes.size());
    expected.ReplyType = 'G';
    expected.ExpectedReplyLength = 513;
    expected.RecordSizeCode = 3;
}

// Every record of the file in order: their ids, and where the whole records end.
std::vector<int> RecordIds(const std::string& path, int64_t* wholeEnd = nullptr) {
    RecordReader reader;
    std::vector<int> ids;
    if (!reader.Open(path))
        return ids;
    RecordBytes record{};
    RecordHeader header;
    for (int64_t at = 0; reader.ReadRecord(at, record, header); at += header.RecordSize)
        ids.push_back(record[RecordHeaderSize + 11]);
    if (wholeEnd)
        *wholeEnd = reader.WholeRecordsEnd();
    return ids;
}

struct LiveRig {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    test::RecordingUi ui;
    test::ShotLog log{reply};
    FileCommands commands{settings, expected, reply, ui, log};

    void Shot(uint8_t id) {
        LoadReply(reply, expected, id);
        commands.Recorder().RecordShot(reply, expected);
    }
};

TEST(Recorder, StartStopTitlesMenuTextsAndKilobytes) {
    test::TempDir dir;
    LiveRig rig;
    rig.ui.answer = dir.File("Run1.KSD");
    rig.commands.RecordStartStop();
    ASSERT_TRUE(rig.commands.Recorder().IsRecording());
    EXPECT_EQ(rig.ui.dialogs.at(0).Title, RecordDialogTitle);
    EXPECT_TRUE(rig.ui.dialogs.at(0).Save);
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - Recording to " + dir.File("Run1.KSD"));
    EXPECT_EQ(rig.ui.LastMenuText(MenuRecord), RecordStopText);
    EXPECT_EQ(rig.settings.ParametersChanged, 1);

    // 1600 records of 640 bytes: 1,024,000 bytes.
    int titles = 0;
    std::string last = rig.ui.title;
    for (int i = 0; i < 1600; ++i) {
        rig.Shot(static_cast<uint8_t>(i));
        if (rig.ui.title != last)
            ++titles, last = rig.ui.title;
    }
    EXPECT_EQ(rig.commands.Recorder().BytesRecorded(), 1024000);
    EXPECT_EQ(rig.ui.title,
              "Tarvisk Digital Sonar - Recording to " + dir.File("Run1.KSD") + " - 1000 kB");
    EXPECT_EQ(titles, 1000);  // once per whole kB

    rig.commands.RecordStartStop();
    EXPECT_FALSE(rig.commands.Recorder().IsRecording());
    ASSERT_EQ(rig.ui.Count("information"), 1);
    EXPECT_EQ(rig.ui.calls[rig.ui.calls.size() - 2].caption, CloseRecordCaption);
    // The path as the file system has it, in the title above and in the box.
    EXPECT_EQ(rig.ui.calls[rig.ui.calls.size() - 2].text.rfind(dir.File("Run1.KSD"), 0), 0u);
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar");
    EXPECT_EQ(rig.ui.LastMenuText(MenuRecord), RecordStartText);

    // The file was written as given, not in lower case.
    int64_t end = 0;
    EXPECT_EQ(RecordIds(dir.File("Run1.KSD"), &end).size(), 1600u);
    EXPECT_EQ(end, 1024000);
}

TEST(Recorder, FileNameChecks) {
    test::TempDir dir;
    struct Case {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {"a.KSD", true}, {"a.ksd", true},  {"a.KsD", true}, {"a.b.ksdx", true},
        {"a.ks", false}, {"a.txt", false}, {"ksd", false},  {"a.ksd.bak", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LiveRig rig;
        EXPECT_EQ(rig.commands.StartRecording(dir.File(c.name)), c.accepted);
        if (!c.accepted) {
            ASSERT_EQ(rig.ui.Count("warning"), 1);
            EXPECT_EQ(rig.ui.calls[0].text, BadExtensionText);
            EXPECT_EQ(rig.ui.calls[0].caption, RecordDialogTitle);
        }
    }
    // A file that cannot be created: no recording and no message.
    LiveRig rig;
    EXPECT_FALSE(rig.commands.StartRecording(dir.File("missing/dir.ksd")));
    EXPECT_EQ(rig.ui.calls.size(), 0u);
}

// Records shots until the recorder stops itself; exits 0 when it stopped with a warning.
[[noreturn]] void RecordUntilFull(const std::string& path, rlim_t limit) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    LiveRig rig;
    if (!rig.commands.StartRecording(path))
        _exit(2);
    for (int i = 0; i < 1000 && rig.commands.Recorder().IsRecording(); ++i)
        rig.Shot(static_cast<uint8_t>(i));
    test::WaitUntil([&] { return rig.commands.Recorder().Writer().Failed(); });
    rig.commands.CheckWriters();
    const bool stopped = !rig.commands.Recorder().IsRecording();
    const bool warned = rig.ui.Count("warning") == 1 &&
                        rig.ui.calls.back().text.find(path) != std::string::npos &&
                        rig.ui.calls.back().text.find("15 records") != std::string::npos;
    const bool reset = rig.ui.title == "Tarvisk Digital Sonar" &&
                       rig.ui.LastMenuText(MenuRecord) == RecordStartText;
    rig.commands.Recorder().Writer().Close();  // _exit runs no destructor to join the writer
    _exit(stopped && warned && reset ? 0 : 3);
}

TEST(Recorder, FullDiskStopsAtTheLastWholeRecord) {
    test::TempDir dir;
    const std::string path = dir.File("full.ksd");
    // Room for 15 records and a part of the 16th: the 16th write comes up short.
    const rlim_t limit = 15 * 640 + 300;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        RecordUntilFull(path, limit);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 15u * 640u);
    std::vector<int> expected;
    for (int i = 0; i < 15; ++i)
        expected.push_back(i);
    EXPECT_EQ(RecordIds(path), expected);
}

TEST(Recorder, ShotsThatMissedTheFileAtTheCloseAreToldAsALoss) {
    test::TempDir dir;
    const std::string path = dir.File("cut.ksd");
    // The disk fills and the program is told to close before another shot could notice: the
    // close's report is then the only word of the lost shots, so it must be a warning (which a
    // scripted or signalled close prints), not a box that such a close never shows.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit r{3 * 640, 3 * 640};
        setrlimit(RLIMIT_FSIZE, &r);
        LiveRig rig;
        if (!rig.commands.StartRecording(path))
            _exit(2);
        for (int i = 0; i < 20; ++i)
            rig.Shot(static_cast<uint8_t>(i));
        if (!test::WaitUntil([&] { return rig.commands.Recorder().Writer().Failed(); }))
            _exit(3);
        rig.commands.CloseAll();
        bool warned = false;
        for (const test::UiCall& c : rig.ui.calls)
            warned = warned || (c.what == "warning" && c.caption == CloseRecordCaption &&
                                c.text.find("17 shots could not be written") != std::string::npos);
        _exit(warned ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Recorder, KilledRecordingLeavesEveryWholeRecordReadable) {
    test::TempDir dir;
    const std::string path = dir.File("killed.ksd");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LiveRig rig;
        if (!rig.commands.StartRecording(path))
            _exit(2);
        for (uint32_t i = 0;; ++i)
            rig.Shot(static_cast<uint8_t>(i));
    }
    while (!std::filesystem::exists(path) || std::filesystem::file_size(path) < 200 * 1024)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    const auto size = static_cast<int64_t>(std::filesystem::file_size(path));
    int64_t end = 0;
    const std::vector<int> ids = RecordIds(path, &end);
    ASSERT_EQ(static_cast<int64_t>(ids.size()), end / 640);
    EXPECT_LT(size - end, 640);  // at most the record being written is lost
    for (size_t i = 0; i < ids.size(); ++i)
        ASSERT_EQ(ids[i], static_cast<int>(i & 0xFF)) << i;
}

}  // namespace
}  // namespace tarvisk
