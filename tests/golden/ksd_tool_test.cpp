// What tarvisk-tool ksd says and returns for files that are not what they should be.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/ksd_record.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

const std::string Tool = std::string(TARVISK_BINARY_DIR) + "/tools/tarvisk-tool";

class KsdTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tarvisk-ksd-tool-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    // Exit status; standard error in err.
    int Run(const std::string& args, std::string* err = nullptr) const {
        const std::string errPath = Path("stderr.txt");
        const int raw =
            std::system((Tool + " " + args + " >/dev/null 2>'" + errPath + "'").c_str());
        if (err) {
            std::ifstream in(errPath);
            err->assign(std::istreambuf_iterator<char>(in), {});
        }
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    // n records of the smallest kind, a profile reply each.
    std::string ProfileRecords(int n) const {
        SonarSettings settings;
        std::string file;
        int32_t previous = 0;
        for (int i = 0; i < n; ++i) {
            std::array<uint8_t, 13> reply{'I', 'P', 'X', 16, 0, 0x58, 0x04, 50};
            reply[12] = ReplyTermination;
            RecordSource source;
            source.Reply = reply;
            source.SizeCode = 0;
            source.Stamp = MakeTimeStamp(2026, 12, 9, 7, 0, 0, 0);
            source.PreviousRecordSize = previous;
            RecordBytes bytes{};
            const size_t size = EncodeRecord(source, settings, bytes);
            file.append(reinterpret_cast<const char*>(bytes.data()), size);
            previous = static_cast<int32_t>(size);
        }
        return file;
    }

    fs::path dir_;
};

TEST_F(KsdTool, InfoFailsOnWhatIsNoSonarDataFile) {
    std::string err;
    Write("notes.ksd", "survey notes, not a recording\n");
    EXPECT_EQ(Run("ksd info " + Path("notes.ksd"), &err), 1);
    EXPECT_NE(err.find("not a sonar data file"), std::string::npos) << err;
    Write("magic.ksd", "KSD");
    EXPECT_EQ(Run("ksd info " + Path("magic.ksd"), &err), 1);
    EXPECT_NE(err.find("no whole record"), std::string::npos) << err;
    EXPECT_EQ(Run("ksd info " + Path("missing.ksd")), 1);
    Write("two.ksd", ProfileRecords(2));
    EXPECT_EQ(Run("ksd info " + Path("two.ksd")), 0);
    // Whole records after a damaged start: the dump, and a failure, as playback refuses it.
    Write("start.ksd", "XXX" + ProfileRecords(2).substr(3));
    EXPECT_EQ(Run("ksd info " + Path("start.ksd"), &err), 1);
    EXPECT_NE(err.find("playback refuses it"), std::string::npos) << err;
}

TEST_F(KsdTool, RenderAsksHowManyFramesOfALongFile) {
    Write("long.ksd", ProfileRecords(1001));
    std::string err;
    EXPECT_EQ(Run("ksd render " + Path("long.ksd") + " --out " + Path("frames"), &err), 2);
    EXPECT_NE(err.find("1001 records"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Path("frames")));
    EXPECT_EQ(Run("ksd render " + Path("long.ksd") + " --out " + Path("frames") + " --every 500"),
              0);
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("frames")), fs::directory_iterator{}), 3);

    Write("short.ksd", ProfileRecords(3));
    EXPECT_EQ(Run("ksd render " + Path("short.ksd") + " --out " + Path("few")), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("few")), fs::directory_iterator{}), 3);
}

}  // namespace
}  // namespace tarvisk
