// The real program under what ends sessions and fills disks: a termination signal while
// recording, a file-size limit, a settings file it cannot read, a capture it cannot write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "files/ksd_reader.h"
#include "tests/program/program_run.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ProgramRun;
using testing::WaitStatus;

// Every byte of the file is a whole record; the count.
int64_t WholeRecordsOnly(const std::string& path, bool* whole) {
    RecordReader reader;
    if (!reader.Open(path)) {
        *whole = false;
        return 0;
    }
    int64_t n = 0, at = 0;
    RecordBytes bytes{};
    RecordHeader header;
    while (reader.ReadRecord(at, bytes, header)) {
        at += header.RecordSize;
        ++n;
    }
    *whole = at == reader.Size();
    return n;
}

TEST(DataSafety, TerminationSignalsCloseAsTheOperatorWould) {
    for (int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        ProgramRun run;
        const std::string ksd = run.File("run.ksd");
        const pid_t pid = run.Start({"--record", ksd});
        const auto end = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < end &&
               (!fs::exists(ksd) || fs::file_size(ksd) < 4000))
            std::this_thread::sleep_for(20ms);
        ASSERT_TRUE(fs::exists(ksd)) << run.Output();
        kill(pid, number);
        const int status = WaitStatus(pid, 20s);
        ASSERT_NE(status, -1) << "did not close";
        ASSERT_TRUE(WIFEXITED(status)) << run.Output();
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(fs::exists(run.File("TARVISK.INI"))) << "settings not saved";
        bool whole = false;
        EXPECT_GT(WholeRecordsOnly(ksd, &whole), 3);
        EXPECT_TRUE(whole);
    }
}

TEST(DataSafety, FileSizeLimitStopsTheRecordingNotTheProgram) {
    ProgramRun run;
    const std::string ksd = run.File("limit.ksd");
    // Room for the settings file, not for much recording.
    const pid_t pid = run.Start({"--record", ksd, "--quit-after", "6"}, 12000);
    const int status = WaitStatus(pid, 60s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(run.Output().find("Recording Stopped"), std::string::npos) << run.Output();
    EXPECT_TRUE(fs::exists(run.File("TARVISK.INI")));
    bool whole = false;
    EXPECT_GT(WholeRecordsOnly(ksd, &whole), 3);
    EXPECT_TRUE(whole);
    EXPECT_LE(fs::file_size(ksd), 12000u);
}

TEST(DataSafety, SettingsFileThatCannotBeReadIsLeftAlone) {
    ProgramRun run;
    // Too large for a settings file: not read, so it must not be replaced by the defaults.
    {
        std::ofstream ini(run.File("TARVISK.INI"));
        ini << "; the operator's notes\n[Settings]\nGain=33\n[Survey]\nBoat=Kestrel\n";
        ini << std::string(5 * 1024 * 1024, ' ') << "\n";
    }
    const auto before = fs::file_size(run.File("TARVISK.INI"));
    const auto time = fs::last_write_time(run.File("TARVISK.INI"));
    const pid_t pid = run.Start({"--quit-after-shots", "5", "--quit-after", "60"});
    const int status = WaitStatus(pid, 90s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(run.File("TARVISK.INI")), before);
    EXPECT_EQ(fs::last_write_time(run.File("TARVISK.INI")), time);
    const std::string out = run.Output();
    EXPECT_NE(out.find("could not be read"), std::string::npos) << out;
    EXPECT_NE(out.find("left as it was"), std::string::npos) << out;
}

TEST(DataSafety, ScreenCaptureThatCannotBeWrittenFailsTheRun) {
    ProgramRun run;
    const pid_t pid = run.Start({"--quit-after-shots", "5", "--quit-after", "60", "--save-screen",
                                 run.File("missing/screen.bmp")});
    const int status = WaitStatus(pid, 90s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_TRUE(fs::exists(run.File("TARVISK.INI")));  // still closed as the operator would
}

TEST(DataSafety, ScreenCaptureOntoAFullDiskFailsTheRunAndLeavesNoFile) {
    ProgramRun run;
    const std::string bmp = run.File("screen.bmp");
    // A file-size limit stands in for the full disk: room for the settings, not the picture.
    const pid_t pid =
        run.Start({"--quit-after-shots", "5", "--quit-after", "60", "--save-screen", bmp}, 100000);
    const int status = WaitStatus(pid, 90s);
    ASSERT_NE(status, -1) << "waited on a message box nobody can close";
    ASSERT_TRUE(WIFEXITED(status)) << run.Output();
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(bmp)) << "a cut picture was left";
    EXPECT_NE(run.Output().find("Could not save the screen to " + bmp), std::string::npos)
        << run.Output();
    EXPECT_TRUE(fs::exists(run.File("TARVISK.INI")));
}

TEST(DataSafety, ATerminationSignalThatCameBeforeTheWindowClosesItOnceItIsUp) {
    ProgramRun run;
    // Blocked across the fork, the signal waits in the new program from its first instruction
    // on: the same as one arriving while the program is still starting.
    sigset_t term, previous;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &previous);
    const pid_t pid = run.Start({"--quit-after", "60"});
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    ASSERT_GT(pid, 0);
    kill(pid, SIGTERM);
    const int status = WaitStatus(pid, 90s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(run.Output().find("signal 15, closing"), std::string::npos) << run.Output();
    EXPECT_TRUE(fs::exists(run.File("TARVISK.INI"))) << "settings not saved";
}

TEST(DataSafety, AFifoNamedAsTheConfigurationFileDoesNotHoldUpTheStart) {
    ProgramRun run;
    const std::string fifo = run.File("rows.CFG");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(run.File("TARVISK.INI"))
        << "[Settings]\nConfigType=1\nConfigFile=" << fifo << "\n";
    const pid_t pid = run.Start({"--quit-after-shots", "3", "--quit-after", "30"});
    const int status = WaitStatus(pid, 90s);
    ASSERT_NE(status, -1) << "hung on the FIFO";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << run.Output();
}

TEST(DataSafety, FifoNamedLikeADataFileIsRefused) {
    ProgramRun run;
    const std::string fifo = run.File("pipe.ksd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const char* option : {"--record", "--play"}) {
        SCOPED_TRACE(option);
        const pid_t pid = run.Start({option, fifo, "--quit-after", "3"});
        const int status = WaitStatus(pid, 30s);
        ASSERT_NE(status, -1) << "hung on the FIFO";
        EXPECT_NE(run.Output().find("is a FIFO"), std::string::npos) << run.Output();
    }
}

}  // namespace
}  // namespace tarvisk
