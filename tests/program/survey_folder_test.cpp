// Where a start from the desktop menu works: the documents folder a desktop names (in the
// environment or in user-dirs.dirs), its Tarvisk folder, and the home folder when there is
// no documents folder.
#include "app/survey_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

TEST(SurveyFolder, DocumentsFolderNamedByTheEnvironmentOrUserDirs) {
    struct Case {
        const char* name;
        const char* env;
        const char* userDirs;
        const char* expected;
    };
    const Case cases[] = {
        {"environment wins", "/data/docs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/data/docs"},
        {"home-relative entry", "",
         "# written by xdg-user-dirs-update\n"
         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
         "/home/op/Dokumente"},
        {"absolute entry, trailing slash", "", "XDG_DOCUMENTS_DIR=\"/srv/survey/\"\n",
         "/srv/survey"},
        {"commented out", "", "# XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", ""},
        {"set to home: the folder is not used", "", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", ""},
        {"unquoted value is not the file's form", "", "XDG_DOCUMENTS_DIR=$HOME/Docs\n", ""},
        {"relative environment value is ignored", "docs", "", ""},
        {"nothing named", "", "", ""},
    };
    for (const Case& c : cases) {
        const SurveyFolderEnvironment e{"/home/op", c.env, c.userDirs};
        EXPECT_EQ(DocumentsFolder(e), c.expected) << c.name;
    }
}

TEST(SurveyFolder, TarviskInDocumentsWhenItExistsElseInHome) {
    const fs::path home = fs::temp_directory_path() / ("tarvisk-home-" + std::to_string(getpid()));
    fs::create_directories(home);
    SurveyFolderEnvironment e{home.string(), "", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"};
    EXPECT_EQ(SurveyFolderPath(e), (home / "Tarvisk").string());  // not made yet: not used
    fs::create_directories(home / "Documents");
    EXPECT_EQ(SurveyFolderPath(e), (home / "Documents/Tarvisk").string());
    fs::remove_all(home);
}

TEST(SurveyFolder, FirstEntryMakesTheFolderLaterOnesOnlyEnterIt) {
    const fs::path before = fs::current_path();
    const fs::path base = fs::temp_directory_path() / ("tarvisk-enter-" + std::to_string(getpid()));
    fs::create_directories(base);
    const std::string folder = (base / "Tarvisk").string();

    SurveyFolderEntry first = EnterSurveyFolder(folder);
    EXPECT_TRUE(first.error.empty()) << first.error;
    EXPECT_TRUE(first.created);
    EXPECT_EQ(fs::current_path(), fs::path(folder));
    SurveyFolderEntry again = EnterSurveyFolder(folder);
    EXPECT_TRUE(again.error.empty());
    EXPECT_FALSE(again.created);

    // A folder that cannot be made says why and leaves the working folder where it was.
    SurveyFolderEntry refused = EnterSurveyFolder((base / "missing/parent/Tarvisk").string());
    EXPECT_NE(refused.error.find("Cannot create"), std::string::npos) << refused.error;
    EXPECT_EQ(fs::current_path(), fs::path(folder));

    fs::current_path(before);
    fs::remove_all(base);
}

TEST(SurveyFolder, PathsGivenFromTheStartFolderKeepPointingThere) {
    EXPECT_EQ(AnchoredPath("/home/op/work", "run.KSD"), "/home/op/work/run.KSD");
    EXPECT_EQ(AnchoredPath("/home/op/work/", "sub/run.KSD"), "/home/op/work/sub/run.KSD");
    EXPECT_EQ(AnchoredPath("/", "run.KSD"), "/run.KSD");
    EXPECT_EQ(AnchoredPath("/home/op", "/media/stick/run.KSD"), "/media/stick/run.KSD");
    EXPECT_EQ(AnchoredPath("/home/op", ""), "");
}

}  // namespace
}  // namespace tarvisk
