#pragma once
// What the export tests share: a folder of their own, simulated survey recordings made once
// per run, and a way to run the field's own command-line readers.

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/export/simulated_survey.h"

namespace tarvisk::test {

class ExportDir {
  public:
    ExportDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvisk-export-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ExportDir() { std::filesystem::remove_all(path_); }
    ExportDir(const ExportDir&) = delete;
    ExportDir& operator=(const ExportDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Standard output of a shell command, and its exit status in *status.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
            out.append(buffer.data(), n);
        const int rc = ::pclose(p);
        if (status)
            *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    } else if (status) {
        *status = -1;
    }
    return out;
}

inline bool HaveProgram(const std::string& name) {
    int status = 0;
    RunCommand("command -v " + name + " >/dev/null 2>&1", &status);
    return status == 0;
}

}  // namespace tarvisk::test
