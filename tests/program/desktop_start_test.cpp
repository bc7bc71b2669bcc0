// The program as the desktop starts it: from the menu entry's command line, in a launcher's
// working folder, for a user whose documents folder the desktop names; and a recording opened
// from the file manager.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DesktopStart : public testing::Test {
  protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("tarvisk-desktop-" + std::to_string(getpid()));
        fs::remove_all(home_);
        fs::create_directories(home_ / ".config");
        fs::create_directories(home_ / "Dokumente");
        fs::create_directories(home_ / "launcher");
        std::ofstream(home_ / ".config/user-dirs.dirs")
            << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    }
    void TearDown() override { fs::remove_all(home_); }

    // Runs tarvisk in FOLDER with ARGS for the test user; returns its exit status.
    int Run(const fs::path& folder, const std::string& args) {
        const std::string command =
            "cd '" + folder.string() + "' && env -u XDG_DOCUMENTS_DIR HOME='" + home_.string() +
            "' XDG_CONFIG_HOME='" + (home_ / ".config").string() +
            "' QT_QPA_PLATFORM=offscreen " TARVISK_BINARY_DIR "/app/tarvisk " + args + " >'" +
            (home_ / "out.txt").string() + "' 2>&1";
        return std::system(command.c_str());
    }
    std::string Output() { return ReadFile(home_ / "out.txt"); }

    fs::path home_;
};

TEST_F(DesktopStart, MenuStartWorksInTheSurveyFolderAndPlaysTheFileItWasGiven) {
    // A recording made from a terminal, in the launcher's folder, with TARVISK.INI beside it.
    const fs::path launcher = home_ / "launcher";
    ASSERT_EQ(Run(launcher, "--simulate --record run.KSD --quit-after-shots 30 --quit-after 60"), 0)
        << Output();
    ASSERT_TRUE(fs::exists(launcher / "TARVISK.INI"));
    ASSERT_GT(fs::file_size(launcher / "run.KSD"), 0u);

    // The menu entry opens it, with a file name relative to where the launcher runs; Qt's own
    // options may stand among the program's.
    ASSERT_EQ(Run(launcher, "--survey-folder -platform offscreen run.KSD --quit-after 3"), 0)
        << Output();
    const fs::path survey = home_ / "Dokumente/Tarvisk";
    ASSERT_TRUE(fs::exists(survey / "TARVISK.INI")) << Output();
    EXPECT_NE(ReadFile(survey / "TARVISK.INI").find("RunMode=1"), std::string::npos)
        << "the window was not in playback when it closed";
    EXPECT_EQ(Output().find("Data type is incorrect"), std::string::npos) << Output();
    EXPECT_EQ(Output().find("extension"), std::string::npos) << Output();
}

TEST_F(DesktopStart, FileThatIsNotARecordingGetsThePlaybackMessages) {
    std::ofstream(home_ / "launcher/notes.txt") << "not sonar\n";
    std::ofstream(home_ / "launcher/fake.KSD") << "not sonar either\n";
    // A scripted run tells it on standard error, where a window shows the message box.
    Run(home_ / "launcher", "--survey-folder notes.txt --quit-after 2");
    EXPECT_NE(Output().find("File extension must be .KSD"), std::string::npos) << Output();
    Run(home_ / "launcher", "--survey-folder fake.KSD --quit-after 2");
    EXPECT_NE(Output().find("Data type is incorrect --> check file format"), std::string::npos)
        << Output();
}

TEST_F(DesktopStart, TerminalStartKeepsItsFolderAndMissingDocumentsFallBackToHome) {
    ASSERT_EQ(Run(home_ / "launcher", "--simulate --quit-after 2"), 0) << Output();
    EXPECT_TRUE(fs::exists(home_ / "launcher/TARVISK.INI"));
    EXPECT_FALSE(fs::exists(home_ / "Dokumente/Tarvisk"));

    fs::remove_all(home_ / "Dokumente");
    ASSERT_EQ(Run("/", "--survey-folder --simulate --quit-after 2"), 0) << Output();
    EXPECT_TRUE(fs::exists(home_ / "Tarvisk/TARVISK.INI")) << Output();
}

}  // namespace
