#include "app/survey_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/named_file.h"

namespace tarvisk {

namespace {

constexpr const char* FolderName = "Tarvisk";

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// user-dirs.dirs holds shell assignments: XDG_DOCUMENTS_DIR="$HOME/Documents", the value
// either "$HOME/..." or an absolute path.
std::string DocumentsFromUserDirs(const std::string& text, const std::string& home) {
    std::istringstream lines(text);
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        if (value.size() < 2 || value.front() != '"')
            continue;
        const size_t close = value.find('"', 1);
        if (close == std::string::npos)
            continue;
        value = value.substr(1, close - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            found = value;  // the last assignment wins, as in the shell
    }
    return found;
}

}  // namespace

std::string DocumentsFolder(const SurveyFolderEnvironment& e) {
    std::string dir = e.documentsDir;
    if (dir.empty() || dir.front() != '/')
        dir = DocumentsFromUserDirs(e.userDirsFileText, e.home);
    dir = WithoutTrailingSlashes(dir);
    if (dir.empty() || dir == WithoutTrailingSlashes(e.home))
        return {};
    return dir;
}

std::string SurveyFolderPath(const SurveyFolderEnvironment& e) {
    const std::string documents = DocumentsFolder(e);
    if (IsDirectory(documents))
        return documents + "/" + FolderName;
    std::string home = WithoutTrailingSlashes(e.home);
    if (home == "/")
        home.clear();
    return home + "/" + FolderName;
}

SurveyFolderEnvironment CurrentSurveyFolderEnvironment() {
    SurveyFolderEnvironment e;
    e.home = Env("HOME");
    if (e.home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            e.home = pw->pw_dir;
    }
    e.documentsDir = Env("XDG_DOCUMENTS_DIR");
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/')
        config = e.home + "/.config";
    // Read only when it is a file: a FIFO at that name must not hold up the start.
    if (!ReadRegularFile(config + "/user-dirs.dirs", 1 << 20, &e.userDirsFileText, nullptr))
        e.userDirsFileText.clear();
    return e;
}

SurveyFolderEntry EnterSurveyFolder(const std::string& path) {
    SurveyFolderEntry entry;
    entry.path = path;
    if (::mkdir(path.c_str(), 0777) == 0) {
        entry.created = true;
    } else if (errno != EEXIST) {
        entry.error = "Cannot create " + path + ": " + std::strerror(errno);
        return entry;
    }
    if (::chdir(path.c_str()) != 0)
        entry.error = "Cannot work in " + path + ": " + std::strerror(errno);
    return entry;
}

std::string AnchoredPath(const std::string& dir, const std::string& path) {
    if (path.empty() || path.front() == '/' || dir.empty())
        return path;
    const std::string base = WithoutTrailingSlashes(dir);
    return (base == "/" ? std::string() : base) + "/" + path;
}

}  // namespace tarvisk
