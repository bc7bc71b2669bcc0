// A scripted run that cannot do what its options ask says why and fails: a usage error (2)
// for a bad option value, 1 for a file named to play that cannot be opened.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string err;
};

Outcome RunTarvisk(const fs::path& dir, const std::string& options) {
    const std::string err = (dir / "err.txt").string();
    const std::string command =
        "QT_QPA_PLATFORM=offscreen " TARVISK_BINARY_DIR "/app/tarvisk --ini " +
        (dir / "TARVISK.INI").string() + " --quit-after 30 " + options + " >/dev/null 2>" + err;
    const int raw = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(err);
    o.err.assign(std::istreambuf_iterator<char>(in), {});
    return o;
}

TEST(ScriptedFailures, BadValuesAreUsageErrorsAndAMissingFileIsNotPlayed) {
    const fs::path dir = fs::temp_directory_path() / ("tarvisk-fail-" + std::to_string(getpid()));
    fs::create_directories(dir);

    Outcome o = RunTarvisk(dir, "--port COM9=/dev/null");
    EXPECT_EQ(o.status, 2) << o.err;
    o = RunTarvisk(dir, "--save-screen " + (dir / "x.png").string());
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_NE(o.err.find(".bmp"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(dir / "x.png"));

    o = RunTarvisk(dir, "--play " + (dir / "nonexistent.KSD").string());
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_NE(o.err.find("Cannot open"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("Data type is incorrect"), std::string::npos) << o.err;

    fs::remove_all(dir);
}

}  // namespace
