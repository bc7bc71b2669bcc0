// tarvisk-headsim: the simulated head line on a new pseudo-terminal or a serial device.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/number_locale.h"
#include "sim/head_simulator.h"
#include "tarvisk_version.h"

namespace {

std::atomic<bool> stopRequested{false};
void OnSignal(int) {
    stopRequested.store(true);
}

const char* const Options =
    "Usage: tarvisk-headsim [options]\n"
    "Simulates a sonar head (ID 16), an azimuth drive (ID 31) and an orientation module\n"
    "(ID 24) on one serial line, answering the switch commands addressed to them. The heads\n"
    "and the drive identify themselves to a head scan.\n"
    "\n"
    "  --device PATH          answer on this serial device (default: a new pseudo-terminal,\n"
    "                         whose path is printed)\n"
    "  --link PATH            keep a symlink at PATH pointing at the pseudo-terminal (taken\n"
    "                         away again on exit)\n"
    "  --seed N               seed of the scene noise (default 1)\n"
    "  --unpaced              answer at once, without the line's byte timing or the ping time\n"
    "  --early-answer US      answer US microseconds after each command, as early as a real\n"
    "                         head may, without waiting for the program's flush after its send\n"
    "  --baud N               line speed for the pacing and a serial device (default 115200)\n"
    "  --head-id N            the sonar head's device ID (default 16)\n"
    "  --extra-head ID[:KIND] one more head on the line at ID (16 to 31); KIND is profiling\n"
    "                         (default), imaging or sounder; repeat for more heads\n"
    "  --azimuth-rate DEG     the drive turns at DEG degrees a second and answers once it\n"
    "                         stands where it was sent (default 6); 0 turns at once\n"
    "  --log-commands FILE    write every received 27-byte frame as a line of hex\n"
    "  --gps                  also talk NMEA once a second on a second pseudo-terminal\n"
    "                         (its path is printed)\n"
    "  --gps-sentence KIND    GGA (default), GLL or BOTH\n"
    "  --gps-file FILE        replay a receiver capture on the GPS line instead (implies --gps):\n"
    "                         its lines each ending in CR LF, \"#\" lines skipped, paced at\n"
    "                         --gps-baud, from the top again at the end\n"
    "  --gps-baud N           the replayed receiver's baud rate (default 4800)\n"
    "  --track LAT,LON,HEADING,SPEED\n"
    "                         the boat runs a straight line from LAT,LON (degrees) on HEADING\n"
    "                         (degrees true) at SPEED m/s: the GPS reports it, the orientation\n"
    "                         module holds that heading and the scene goes by (with --gps)\n"
    "  --silent-after SECONDS stop answering after this many seconds\n"
    "  --scene NAME           harbour (default), borehole or channel, below\n"
    "  --mount up|down        the transducer points down (default) or up; mounted up, its\n"
    "                         sweep turns the other way (set Xdcr Up in Tarvisk to match)\n"
    "  --version              show the program's name and version\n"
    "  --help                 show this text\n"
    "\n"
    "Runs until interrupted (Ctrl-C).\n\n";

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    tarvisk::UsePointAsDecimalMark();  // options and the command log are read and written with a
                                       // point
    tarvisk::sim::SimulatorOptions options;
    options.azimuthStepsPerSecond = 20.0;  // six degrees a second, as a real drive
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "tarvisk-headsim: %s needs a value\n", arg.c_str());
                return false;
            }
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        double number = 0;
        if (arg == "--help" || arg == "-h") {
            std::fputs(Options, stdout);
            std::fwrite(tarvisk::sim::SceneHelpText().data(), 1,
                        tarvisk::sim::SceneHelpText().size(), stdout);
            return 0;
        } else if (arg == "--scene" && value(v)) {
            if (!tarvisk::sim::ParseSceneName(v, options.scene)) {
                std::fprintf(stderr,
                             "tarvisk-headsim: --scene takes harbour, borehole or channel\n");
                return 2;
            }
        } else if (arg == "--mount" && value(v)) {
            const std::string mount = v;
            if (mount != "up" && mount != "down") {
                std::fprintf(stderr, "tarvisk-headsim: --mount takes up or down\n");
                return 2;
            }
            options.mountedUp = mount == "up";
        } else if (arg == "--version") {
            std::printf("tarvisk-headsim %s\n", TARVISK_VERSION);
            return 0;
        } else if (arg == "--unpaced") {
            options.unpaced = true;
        } else if (arg == "--gps") {
            options.gps = true;
        } else if (arg == "--extra-head" && value(v)) {
            tarvisk::sim::ExtraHead extra;
            if (!tarvisk::sim::ParseExtraHead(v, extra)) {
                std::fprintf(stderr,
                             "tarvisk-headsim: --extra-head takes ID[:KIND], ID 16 to 31, KIND "
                             "profiling, imaging or sounder, not \"%s\"\n",
                             v);
                return 2;
            }
            options.extraHeads.push_back(extra);
        } else if (arg == "--device" && value(v)) {
            options.devicePath = v;
        } else if (arg == "--link" && value(v)) {
            options.linkPath = v;
        } else if (arg == "--log-commands" && value(v)) {
            options.commandLogPath = v;
        } else if (arg == "--track" && value(v)) {
            std::string error;
            if (!tarvisk::sim::ParseBoatTrack(v, options.track, &error)) {
                std::fprintf(stderr, "tarvisk-headsim: --track: %s\n", error.c_str());
                return 2;
            }
            options.onTrack = true;
        } else if (arg == "--gps-file" && value(v)) {
            options.gps = true;
            options.gpsReplayPath = v;
        } else if (arg == "--gps-sentence" && value(v)) {
            std::string kind = v;
            if (kind == "GGA" || kind == "gga") {
                options.gpsSentence = tarvisk::sim::NmeaSentence::Gga;
            } else if (kind == "GLL" || kind == "gll") {
                options.gpsSentence = tarvisk::sim::NmeaSentence::Gll;
            } else if (kind == "BOTH" || kind == "both") {
                options.gpsSentence = tarvisk::sim::NmeaSentence::Both;
            } else {
                std::fprintf(stderr, "tarvisk-headsim: --gps-sentence takes GGA, GLL or BOTH\n");
                return 2;
            }
        } else if ((arg == "--seed" || arg == "--baud" || arg == "--head-id" ||
                    arg == "--silent-after" || arg == "--azimuth-rate" || arg == "--gps-baud" ||
                    arg == "--early-answer") &&
                   value(v)) {
            if (!ParseNumber(v, number) || number < 0) {
                std::fprintf(stderr, "tarvisk-headsim: %s takes a number, not \"%s\"\n",
                             arg.c_str(), v);
                return 2;
            }
            if (arg == "--seed")
                options.seed = static_cast<uint64_t>(number);
            if (arg == "--baud")
                options.baudRate = static_cast<int32_t>(number);
            if (arg == "--silent-after")
                options.silentAfterSeconds = number;
            if (arg == "--early-answer")
                options.earlyAnswerMicroseconds = static_cast<int64_t>(number);
            if (arg == "--azimuth-rate")
                options.azimuthStepsPerSecond = number / 0.3;  // the drive steps 0.3 degrees
            if (arg == "--gps-baud") {
                if (number < 300 || number > 4000000) {
                    std::fprintf(stderr, "tarvisk-headsim: --gps-baud takes 300 to 4000000\n");
                    return 2;
                }
                options.gpsBaud = static_cast<int32_t>(number);
            }
            if (arg == "--head-id") {
                if (number < 16 || number > 31) {
                    std::fprintf(stderr, "tarvisk-headsim: --head-id takes 16 to 31\n");
                    return 2;
                }
                options.headId = static_cast<int32_t>(number);
            }
        } else {
            // Known options got here only when their value was missing (already reported).
            if (v == nullptr && i < argc && std::strcmp(argv[i], arg.c_str()) == 0 &&
                arg.rfind("--", 0) == 0 &&
                std::strstr(Options, ("  " + arg + " ").c_str()) == nullptr) {
                std::fprintf(stderr, "tarvisk-headsim: unknown option %s (see --help)\n",
                             arg.c_str());
            } else if (v == nullptr && arg.rfind("--", 0) != 0) {
                std::fprintf(stderr, "tarvisk-headsim: unexpected argument %s\n", arg.c_str());
            }
            return 2;
        }
    }
    if (!options.devicePath.empty() && tarvisk::BaudConstant(options.baudRate) == 0) {
        std::fprintf(stderr, "tarvisk-headsim: unsupported baud rate %d\n", options.baudRate);
        return 2;
    }

    // Every ending but a kill takes the links away again (the simulator's Stop does it).
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    signal(SIGHUP, OnSignal);
    signal(SIGQUIT, OnSignal);
    signal(SIGPIPE, SIG_IGN);

    tarvisk::sim::HeadSimulator simulator;
    if (!simulator.Start(options)) {
        std::fprintf(stderr, "tarvisk-headsim: %s\n", simulator.Error().c_str());
        return 1;
    }
    std::printf("head line: %s\n", simulator.DevicePath().c_str());
    std::printf("scene: %s\n", std::string(tarvisk::sim::SceneName(options.scene)).c_str());
    if (options.gps)
        std::printf("gps line: %s\n", simulator.GpsDevicePath().c_str());
    if (!options.gpsReplayPath.empty())
        std::printf("gps replay: %s at %d baud\n", options.gpsReplayPath.c_str(), options.gpsBaud);
    std::fflush(stdout);
    while (!stopRequested.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    simulator.Stop();
    return 0;
}
