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

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct ProgramRun {
    fs::path dir;
    ProgramRun() {
        dir = fs::temp_directory_path() /
              ("tarvisk-safety-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(dir);
    }
    ~ProgramRun() { fs::remove_all(dir); }
    std::string File(const std::string& name) const { return (dir / name).string(); }

    // Starts the program offscreen on the simulated head; stderr and stdout go to out.txt.
    pid_t Start(std::vector<std::string> args, rlim_t fileLimit = RLIM_INFINITY) const {
        const std::string out = File("out.txt");
        pid_t pid = fork();
        if (pid != 0)
            return pid;
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        signal(SIGXFSZ, SIG_DFL);
        if (fileLimit != RLIM_INFINITY) {
            rlimit r{fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        std::vector<std::string> all{TARVISK_BINARY_DIR "/app/tarvisk", "--simulate", "--ini",
                                     File("TARVISK.INI")};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::string Output() const {
        std::ifstream in(File("out.txt"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static inline int counter = 0;
};

// Waits for the child; -1 if it did not end in time (then it is killed).
int WaitStatus(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

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
