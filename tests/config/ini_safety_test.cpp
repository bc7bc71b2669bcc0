// TARVISK.INI and the .CFG files against what a folder may hold: links planted at the name,
// a FIFO named as the configuration, umasks.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "config/ini_settings.h"
#include "config/user_config.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Folder {
    fs::path dir;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tarvisk-ini-XXXXXX").string();
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

bool Save(const std::string& path, std::string* error) {
    SonarSettings settings;
    PortMap ports;
    return WriteTarviskIni(path, settings, nullptr, ports, error);
}

TEST(IniSafety, ALinkIsWrittenThroughOnlyToASettingsFile) {
    Folder f;
    const std::string rc = f.File("shellrc");
    const std::string rcText = "export PATH=$HOME/bin:$PATH\nalias ll='ls -l'\n";
    std::ofstream(rc) << rcText;
    const std::string ini = f.File("TARVISK.INI");
    ASSERT_EQ(symlink(rc.c_str(), ini.c_str()), 0);
    std::string error;
    EXPECT_FALSE(Save(ini, &error));
    EXPECT_NE(error.find("not a settings file"), std::string::npos) << error;
    // The same answer from the close's save, which runs on a thread of its own.
    SonarSettings settings;
    PortMap ports;
    error.clear();
    EXPECT_FALSE(WriteTarviskIniWithin(60s, ini, settings, nullptr, ports, &error));
    EXPECT_NE(error.find("not a settings file"), std::string::npos) << error;
    EXPECT_EQ(Contents(rc), rcText);

    // The usual set-up of a shared settings file: the link stays, the file behind it is written.
    const std::string shared = f.File("shared.ini");
    std::ofstream(shared) << "; boat Kestrel\n[Settings]\nGain=33\n";
    fs::remove(ini);
    ASSERT_EQ(symlink(shared.c_str(), ini.c_str()), 0);
    EXPECT_TRUE(WriteTarviskIniWithin(60s, ini, settings, nullptr, ports, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(ini));
    const std::string written = Contents(shared);
    EXPECT_EQ(written.rfind("; boat Kestrel\n[Settings]\n", 0), 0u) << written;
    EXPECT_NE(written.find("Gain="), std::string::npos);
}

TEST(IniSafety, ANewSettingsFileFollowsTheUmaskAndAnOldOneKeepsItsMode) {
    Folder f;
    const mode_t previous = umask(077);
    std::string error;
    EXPECT_TRUE(Save(f.File("private.INI"), &error)) << error;
    umask(022);
    EXPECT_TRUE(Save(f.File("shared.INI"), &error)) << error;
    std::ofstream(f.File("group.INI")) << "[Settings]\n";
    chmod(f.File("group.INI").c_str(), 0660);
    EXPECT_TRUE(Save(f.File("group.INI"), &error)) << error;
    umask(previous);
    EXPECT_EQ(ModeOf(f.File("private.INI")), 0600u);
    EXPECT_EQ(ModeOf(f.File("shared.INI")), 0644u);
    EXPECT_EQ(ModeOf(f.File("group.INI")), 0660u);
    // Nothing but the three files is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(f.dir), fs::directory_iterator()), 3);
}

TEST(IniSafety, AFifoNamedAsTheConfigurationIsRefusedAtOnce) {
    Folder f;
    const std::string fifo = f.File("rows.CFG");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // In a child, so that a read that waits for a writer cannot hang the suite.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        UserConfig config;
        SonarSettings settings;
        settings.ConfigFile.Set(fifo);
        const bool loaded = LoadNamedConfiguration(config, settings);
        _exit(!loaded && settings.ConfigFile.Get() == "Default" ? 0 : 1);
    }
    int status = 0;
    bool ended = false;
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!(ended = waitpid(child, &status, WNOHANG) == child) &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(10ms);
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the configuration reader waited on the FIFO";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tarvisk
