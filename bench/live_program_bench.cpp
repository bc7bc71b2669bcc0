// The whole live program as an operator runs it: tarvisk with its window (offscreen, or the
// X server in DISPLAY with --x11) against tarvisk-headsim in its own process on a
// pseudo-terminal, paced as the real line. Each display mode is run twice, to a short and a
// long shot count, and the difference is reported, so start-up and shutdown cancel out:
// CPU time per shot of the whole program, its share of a core, and heap allocations per shot
// on each thread (counted by the preloaded allocation counter). Before each mode the bare
// line exchange is measured on the same line: the floor any program pays here.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bare_line_exchange.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    std::string tarvisk = TARVISK_BINARY_DIR "/app/tarvisk";
    std::string headsim = TARVISK_BINARY_DIR "/tools/tarvisk-headsim";
    std::string preload = TARVISK_ALLOC_COUNTER;
    int shortShots = 30;
    int longShots = 230;
    bool x11 = false;
    std::vector<std::string> modes{"polar", "sector"};
};

struct ThreadAllocations {
    long allocations = 0;
    long bytes = 0;
    long large = 0;
    double cpuSeconds = 0;  // the last reading while the program ran
};

struct ThreadSeen {
    std::string name;
    double cpuSeconds = 0;
};

// The program's CPU time so far (every live thread's time on a CPU, in nanoseconds from the
// scheduler) at a moment of the run.
struct CpuSample {
    double seconds = 0;  // since the start
    double cpuSeconds = 0;
};

struct Run {
    double cpuSeconds = 0;
    double kernelSeconds = 0;  // of cpuSeconds, the part spent in the kernel
    double wallSeconds = 0;
    std::map<std::string, ThreadAllocations> threads;  // by name
    std::vector<CpuSample> samples;
    bool ok = false;
};

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    for (const std::string& e : env)
        putenv(strdup(e.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int devnull = ::open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
        dup2(devnull, 1);
        dup2(devnull, 2);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

std::string ReadSmallFile(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// CPU time of one thread from its stat line (user and system time, fields 14 and 15).
double ThreadCpuSeconds(const fs::path& task) {
    const std::string stat = ReadSmallFile(task / "stat");
    const size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && (fields >> field); ++i)
        if (i >= 14)
            ticks += std::strtod(field.c_str(), nullptr);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ProcessSchedSeconds(pid_t pid) {
    double total = 0;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec))
        total += std::strtod(ReadSmallFile(task.path() / "schedstat").c_str(), nullptr) * 1e-9;
    return total;
}

// The CPU rate of the steady part of a run in windows of a few seconds, lowest first. The
// virtual machine here reports no steal time: whatever the host takes from a virtual CPU is
// charged to the thread that was on it, so a quiet window tells the program's own cost and
// the spread between windows tells the host's.
std::vector<double> WindowRates(const std::vector<CpuSample>& samples) {
    constexpr double Skip = 3.0, Window = 5.0, Tail = 1.0;
    std::vector<double> rates;
    if (samples.empty())
        return rates;
    const double end = samples.back().seconds - Tail;
    for (size_t i = 0; i < samples.size(); i += 10) {
        if (samples[i].seconds < Skip)
            continue;
        for (size_t j = i + 1; j < samples.size() && samples[j].seconds <= end; ++j)
            if (samples[j].seconds - samples[i].seconds >= Window) {
                rates.push_back((samples[j].cpuSeconds - samples[i].cpuSeconds) /
                                (samples[j].seconds - samples[i].seconds));
                break;
            }
    }
    std::sort(rates.begin(), rates.end());
    return rates;
}

// The names and CPU times of the program's threads, read while it runs (a thread may be
// gone at exit).
void NoteThreads(pid_t pid, std::map<long, ThreadSeen>& seen) {
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        const long tid = std::strtol(task.path().filename().c_str(), nullptr, 10);
        const std::string name = ReadSmallFile(task.path() / "comm");
        if (name.empty())
            continue;
        ThreadSeen& t = seen[tid];
        t.name = tid == pid ? "window" : name;
        t.cpuSeconds = std::max(t.cpuSeconds, ThreadCpuSeconds(task.path()));
    }
}

Run RunProgram(const Options& o, const fs::path& dir, const std::string& mode, int shots,
               const std::string& line) {
    const fs::path ini = dir / "TARVISK.INI";
    {
        std::ofstream out(ini);
        out << "[Settings]\nRange=9\nGridMode=" << (mode == "sector" ? 0 : 1) << "\n"
            << "[Orientation Module Settings]\nEnableOrientationModule=0\n";
    }
    const fs::path report = dir / "allocations.txt";
    fs::remove(report);
    std::vector<std::string> env{"LD_PRELOAD=" + o.preload,
                                 "TARVISK_ALLOC_REPORT=" + report.string()};
    if (!o.x11)
        env.push_back("QT_QPA_PLATFORM=offscreen");
    const auto start = Clock::now();
    const pid_t pid = Spawn({o.tarvisk, "--ini", ini.string(), "--port", "COM1=" + line,
                             "--quit-after-shots", std::to_string(shots), "--quit-after", "600"},
                            env);
    std::map<long, ThreadSeen> seen;
    Run run;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        NoteThreads(pid, seen);
        run.samples.push_back({std::chrono::duration<double>(Clock::now() - start).count(),
                               ProcessSchedSeconds(pid)});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.kernelSeconds = usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + run.kernelSeconds;
    std::ifstream in(report);
    long tid = 0;
    ThreadAllocations a;
    while (in >> tid >> a.allocations >> a.bytes >> a.large) {
        const auto it = seen.find(tid);
        const std::string name = it == seen.end() ? "short-lived" : it->second.name;
        ThreadAllocations& t = run.threads[name];
        if (it != seen.end())
            t.cpuSeconds += it->second.cpuSeconds;
        t.allocations += a.allocations;
        t.bytes += a.bytes;
        t.large += a.large;
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !run.threads.empty();
    return run;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--tarvisk")
            o.tarvisk = next();
        else if (a == "--headsim")
            o.headsim = next();
        else if (a == "--preload")
            o.preload = next();
        else if (a == "--shots")
            o.longShots = std::atoi(next().c_str());
        else if (a == "--x11")
            o.x11 = true;
        else if (a == "--mode")
            o.modes = {next()};
        else {
            std::fprintf(stderr,
                         "usage: live_program_bench [--mode polar|sector] [--shots N] [--x11]\n"
                         "       [--tarvisk PATH] [--headsim PATH] [--preload PATH]\n");
            std::exit(2);
        }
    }
    if (o.longShots <= o.shortShots)
        o.longShots = o.shortShots + 100;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    const fs::path dir =
        fs::temp_directory_path() / ("tarvisk-live-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path line = dir / "head";
    const pid_t sim = Spawn({o.headsim, "--link", line.string()}, {});
    for (int i = 0; i < 100 && !fs::exists(line); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!fs::exists(line)) {
        std::fprintf(stderr, "the simulator did not start (%s)\n", o.headsim.c_str());
        return 1;
    }
    int failures = 0;
    std::printf("Whole program, %s, simulator in its own process (paced line)\n",
                o.x11 ? "X11 window" : "offscreen window");
    for (const std::string& mode : o.modes) {
        const bench::BareExchangeCost floor =
            bench::MeasureBareExchange(line.string(), o.longShots - o.shortShots);
        if (floor.shots > 0)
            std::printf("bare line exchange: CPU %.3f ms per shot (%.3f of it in the kernel)\n",
                        floor.cpuMsPerShot, floor.kernelMsPerShot);
        const Run a = RunProgram(o, dir, mode, o.shortShots, line.string());
        const Run b = RunProgram(o, dir, mode, o.longShots, line.string());
        if (!a.ok || !b.ok) {
            std::printf("%s 50 m: the program did not run to its shot count\n", mode.c_str());
            ++failures;
            continue;
        }
        const double shots = o.longShots - o.shortShots;
        const double cpu = b.cpuSeconds - a.cpuSeconds;
        const double wall = b.wallSeconds - a.wallSeconds;
        const double kernel = b.kernelSeconds - a.kernelSeconds;
        std::printf(
            "%s 50 m: %.1f shots/s, CPU %.3f ms per shot (%.3f of it in the kernel), %.2f%% of "
            "a core\n",
            mode.c_str(), shots / wall, cpu / shots * 1e3, kernel / shots * 1e3,
            cpu / wall * 100.0);
        if (const std::vector<double> rates = WindowRates(b.samples); !rates.empty()) {
            const double perShot = 1e3 * wall / shots;
            std::printf(
                "  5 s windows of the longer run (%zu): quietest %.3f ms per shot, median "
                "%.3f, busiest %.3f\n",
                rates.size(), rates.front() * perShot, rates[rates.size() / 2] * perShot,
                rates.back() * perShot);
        }
        for (const auto& [name, t] : b.threads) {
            const auto it = a.threads.find(name);
            const ThreadAllocations before =
                it == a.threads.end() ? ThreadAllocations{} : it->second;
            std::printf(
                "  %-16s %8.2f allocations/shot %9.0f bytes/shot %5.2f of 1 MB+/shot"
                "  CPU %.3f ms/shot\n",
                name.c_str(), (t.allocations - before.allocations) / shots,
                (t.bytes - before.bytes) / shots, (t.large - before.large) / shots,
                (t.cpuSeconds - before.cpuSeconds) / shots * 1e3);
        }
    }
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    fs::remove_all(dir);
    return failures == 0 ? 0 : 1;
}
