#pragma once
// The real program started in a child process, offscreen on the simulated head, in a scratch
// folder of its own; what it prints is kept in out.txt there.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tarvisk::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct ProgramRun {
    fs::path dir;
    ProgramRun() {
        dir = fs::temp_directory_path() /
              ("tarvisk-safety-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(dir);
    }
    ~ProgramRun() { fs::remove_all(dir); }
    std::string File(const std::string& name) const { return (dir / name).string(); }

    // Starts the program offscreen on the simulated head; stderr and stdout go to out.txt.
    // inChild runs in the child just before the program replaces it (a locale, a umask).
    pid_t Start(std::vector<std::string> args, rlim_t fileLimit = RLIM_INFINITY,
                const std::function<void()>& inChild = {}) const {
        const std::string out = File("out.txt");
        pid_t pid = fork();
        if (pid != 0)
            return pid;
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        signal(SIGXFSZ, SIG_DFL);
        if (fileLimit != RLIM_INFINITY) {
            rlimit r{fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        if (inChild)
            inChild();
        std::vector<std::string> all{TARVISK_BINARY_DIR "/app/tarvisk", "--simulate", "--ini",
                                     File("TARVISK.INI")};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::string Output() const {
        std::ifstream in(File("out.txt"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static inline int counter = 0;
};

// Waits for the child; -1 if it did not end in time (then it is killed).
inline int WaitStatus(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

}  // namespace tarvisk::testing
