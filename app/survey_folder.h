#pragma once
// The per-user folder a start from the desktop menu works in, so TARVISK.INI, recordings, XYZ
// files and screen captures end up together where a user looks for them. A start from a
// terminal never comes here: it keeps the working folder it was given.

#include <string>

namespace tarvisk {

// What the folder's choice depends on, taken from the environment by the caller.
struct SurveyFolderEnvironment {
    std::string home;              // $HOME (or the password entry's home)
    std::string documentsDir;      // $XDG_DOCUMENTS_DIR, if set
    std::string userDirsFileText;  // contents of $XDG_CONFIG_HOME/user-dirs.dirs, if any
};

// The documents folder named by the environment or by user-dirs.dirs; empty when neither
// names one, or when it is the home folder itself (how xdg-user-dirs marks it as unused).
std::string DocumentsFolder(const SurveyFolderEnvironment& environment);

// DOCUMENTS/Tarvisk when that documents folder exists, otherwise HOME/Tarvisk.
std::string SurveyFolderPath(const SurveyFolderEnvironment& environment);

SurveyFolderEnvironment CurrentSurveyFolderEnvironment();

struct SurveyFolderEntry {
    std::string path;
    bool created = false;  // this start made it: the first start, which says where files go
    std::string error;     // not empty when the folder could not be made or entered
};

// Makes the folder when it is missing and makes it the working folder.
SurveyFolderEntry EnterSurveyFolder(const std::string& path);

// PATH as seen from DIR: absolute paths and empty ones are kept as they are.
std::string AnchoredPath(const std::string& dir, const std::string& path);

}  // namespace tarvisk
