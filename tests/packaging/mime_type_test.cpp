// The .KSD type the package registers, read by Qt's MIME database exactly as a desktop reads
// the installed file: by name in either letter case, and by the "KSD" magic when a recording
// has lost its extension.
#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
constexpr const char* KsdType = "application/x-tarvisk-ksd";

class KsdMimeType : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("tarvisk-mime-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "share/mime/packages");
        fs::copy_file(fs::path(TARVISK_SOURCE_DIR) / "packaging/tarvisk.mime.xml",
                      dir_ / "share/mime/packages/tarvisk.xml",
                      fs::copy_options::overwrite_existing);
        // Only the package's file: nothing installed on this machine may answer for it.
        setenv("XDG_DATA_DIRS", (dir_ / "share").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "home").c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    static std::string TypeOf(const std::string& path) {
        return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name().toStdString();
    }

    static fs::path dir_;
};
fs::path KsdMimeType::dir_;

const std::string Record = "KSD" + std::string(637, '\0');

TEST_F(KsdMimeType, RecordingsAreKnownByNameInEitherCase) {
    EXPECT_EQ(TypeOf(Write("harbour.KSD", Record)), KsdType);
    EXPECT_EQ(TypeOf(Write("harbour.ksd", Record)), KsdType);
    EXPECT_EQ(QMimeDatabase().mimeTypeForName(KsdType).comment().toStdString(),
              "K260 sonar recording");
}

TEST_F(KsdMimeType, RecordingWithoutExtensionIsKnownByItsMagic) {
    EXPECT_EQ(TypeOf(Write("survey-recording", Record)), KsdType);
    EXPECT_NE(TypeOf(Write("notes", "KS? not a recording\n")), KsdType);
}

}  // namespace
