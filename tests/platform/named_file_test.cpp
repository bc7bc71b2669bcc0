// Opening files by name: nothing the operator did not name is written over or followed, a FIFO
// never holds the program up, modes follow the umask, and storage that stops answering costs a
// bounded wait.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/bounded_call.h"
#include "platform/named_file.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Folder {
    fs::path dir;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tarvisk-named-XXXXXX").string();
        dir = mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(dir); }
    std::string File(const std::string& name) const { return (dir / name).string(); }
};

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

class Umask {
  public:
    explicit Umask(mode_t mask) : previous_(umask(mask)) {}
    ~Umask() { umask(previous_); }

  private:
    mode_t previous_;
};

TEST(NamedFile, NewFilesNeverTakeANameThatExistsOrFollowALink) {
    Folder f;
    const std::string victim = f.File("victim.txt");
    std::ofstream(victim) << "keep me";
    const std::string taken = f.File("taken.BMP");
    std::ofstream(taken) << "earlier capture";
    const std::string planted = f.File("planted.BMP");
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    const std::string dangling = f.File("dangling.BMP");
    ASSERT_EQ(symlink(f.File("nowhere.txt").c_str(), dangling.c_str()), 0);

    std::string error;
    for (const std::string& path : {taken, planted, dangling}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(OpenFileForWriting(path, FileCreation::New, &error), -1);
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    EXPECT_EQ(Contents(victim), "keep me");
    EXPECT_EQ(Contents(taken), "earlier capture");
    EXPECT_FALSE(fs::exists(f.File("nowhere.txt")));

    const int fd = OpenFileForWriting(f.File("fresh.BMP"), FileCreation::New, &error);
    ASSERT_GE(fd, 0) << error;
    EXPECT_TRUE(WriteAllAndClose(fd, "BM", 2));
    EXPECT_EQ(Contents(f.File("fresh.BMP")), "BM");
}

TEST(NamedFile, ReplacingEmptiesARegularFileKeepsItsModeAndRefusesAFifo) {
    Folder f;
    const std::string named = f.File("screen.bmp");
    std::ofstream(named) << "an older and longer picture";
    chmod(named.c_str(), 0640);
    std::string error;
    int fd = OpenFileForWriting(named, FileCreation::Replace, &error);
    ASSERT_GE(fd, 0) << error;
    EXPECT_TRUE(WriteAllAndClose(fd, "new", 3));
    EXPECT_EQ(Contents(named), "new");
    EXPECT_EQ(ModeOf(named), 0640u);

    const std::string fifo = f.File("pipe.bmp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Neither call may wait for a reader or a writer at the other end.
    EXPECT_EQ(OpenFileForWriting(fifo, FileCreation::Replace, &error), -1);
    EXPECT_NE(error.find("is a FIFO"), std::string::npos) << error;
    EXPECT_EQ(OpenRegularFileForReading(fifo, &error), -1);
    EXPECT_NE(error.find("is a FIFO"), std::string::npos) << error;
    std::string text;
    EXPECT_FALSE(ReadRegularFile(fifo, 100, &text, &error));
    EXPECT_TRUE(ReadRegularFile(named, 100, &text, &error)) << error;
    EXPECT_EQ(text, "new");
    EXPECT_FALSE(ReadRegularFile(named, 2, &text, &error));  // larger than any such file
    EXPECT_EQ(OpenRegularFileForReading("/dev/null", &error), -1);
    EXPECT_NE(error.find("character device"), std::string::npos) << error;
    EXPECT_EQ(OpenRegularFileForReading(f.dir.string(), &error), -1);
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

TEST(NamedFile, NewFilesGetWhatTheUmaskLeavesOf0666) {
    Folder f;
    for (mode_t mask : {mode_t{077}, mode_t{022}, mode_t{0}}) {
        SCOPED_TRACE(mask);
        Umask umask(mask);
        const std::string name = "m" + std::to_string(mask);
        std::string error;
        ASSERT_GE(::close(OpenFileForWriting(f.File(name + ".XYZ"), FileCreation::New, &error)), 0);
        ASSERT_GE(::close(OpenFileForWriting(f.File(name + ".CFG"), FileCreation::Replace, &error)),
                  0);
        std::string temporary;
        ASSERT_GE(::close(CreateTemporaryBeside(f.File(name + ".INI"), &temporary)), 0);
        for (const std::string& path : {f.File(name + ".XYZ"), f.File(name + ".CFG"), temporary})
            EXPECT_EQ(ModeOf(path), 0666u & ~mask) << path;
    }
}

TEST(BoundedCall, StorageThatStopsAnsweringCostsOnlyTheWait) {
    Folder f;
    const std::string fifo = f.File("stalled");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opening a FIFO for writing waits for a reader that never comes: a write that hangs.
    std::string error;
    const BoundedResult result = RunWithin(
        300ms,
        [fifo](std::string*) {
            const int fd = ::open(fifo.c_str(), O_WRONLY);
            return fd >= 0 && ::close(fd) == 0;
        },
        &error);
    EXPECT_EQ(result, BoundedResult::TimedOut);
    // Let the thread left behind finish.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::this_thread::sleep_for(50ms);
    ::close(reader);

    EXPECT_EQ(RunWithin(
                  60s, [](std::string*) { return true; }, &error),
              BoundedResult::Done);
    EXPECT_EQ(RunWithin(
                  60s,
                  [](std::string* e) {
                      *e = "disk full";
                      return false;
                  },
                  &error),
              BoundedResult::Failed);
    EXPECT_EQ(error, "disk full");
}

}  // namespace
}  // namespace tarvisk
