#include "ui/command_line_options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "sim/scene.h"

namespace tarvisk {

namespace {

bool ParseCount(const std::string& text, int64_t& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < 1)
        return false;
    out = v;
    return true;
}

bool ParseSeconds(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(v > 0.0) || v > 1e7)
        return false;
    out = v;
    return true;
}

// Qt's own options, taken by QApplication from the same command line: those that are
// followed by a value (or carry it after "="), and those that stand alone.
constexpr std::string_view QtValueOptions[] = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-name",          "-title",
    "-style",           "-stylesheet",         "-visual",        "-qmljsdebugger"};
constexpr std::string_view QtFlagOptions[] = {"-reverse", "-widgetcount", "-nograb", "-dograb",
                                              "-sync"};

// 0: not one of Qt's; 1: Qt's, standing alone; 2: Qt's, its value in the next argument.
int QtOptionArguments(std::string_view arg) {
    for (std::string_view flag : QtFlagOptions) {
        if (arg == flag)
            return 1;
    }
    for (std::string_view option : QtValueOptions) {
        if (arg == option)
            return 2;
        if (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
            arg[option.size()] == '=')
            return 1;
    }
    return 0;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLineOptions& o,
                      std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            // "--port COM1=/dev/x" keeps its own '='; only options without one inline a value.
            if (eq != std::string::npos && arg.compare(0, 6, "--port") != 0) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInline = true;
            }
        }
        auto next = [&](std::string& out) {
            if (hasInline) {
                out = value;
                return true;
            }
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--simulate") {
            o.simulate = true;
            if (hasInline) {
                if (value != "harbour" && value != "borehole" && value != "channel") {
                    error = "--simulate takes harbour, borehole or channel, not \"" + value + "\"";
                    return false;
                }
                o.simulateScene = value;
            }
        } else if (arg == "--ini") {
            if (!next(o.iniPath))
                return false;
            if (o.iniPath.empty()) {
                error = "--ini needs a file name";
                return false;
            }
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            std::string v;
            if (arg.size() > 7 && arg[6] == '=') {
                v = arg.substr(7);
            } else if (!next(v)) {
                return false;
            }
            o.ports.push_back(v);
        } else if (arg == "--quit-after-shots") {
            std::string v;
            if (!next(v))
                return false;
            if (!ParseCount(v, o.quitAfterShots)) {
                error = "--quit-after-shots needs a whole number of at least 1, not \"" + v + "\"";
                return false;
            }
        } else if (arg == "--quit-after") {
            std::string v;
            if (!next(v))
                return false;
            if (!ParseSeconds(v, o.quitAfterSeconds)) {
                error = "--quit-after needs a number of seconds above 0, not \"" + v + "\"";
                return false;
            }
        } else if (arg == "--save-screen") {
            if (!next(o.saveScreenPath))
                return false;
            if (o.saveScreenPath.empty()) {
                error = "--save-screen needs a file name";
                return false;
            }
        } else if (arg == "--play") {
            if (!next(o.playPath))
                return false;
        } else if (arg == "--record") {
            if (!next(o.recordPath))
                return false;
        } else if (arg == "--sim-log") {
            if (!next(o.simulatorLogPath))
                return false;
        } else if (arg == "--sim-gps-file") {
            if (!next(o.simulatorGpsPath))
                return false;
            if (o.simulatorGpsPath.empty()) {
                error = "--sim-gps-file needs a file name";
                return false;
            }
        } else if (arg == "--sim-track") {
            std::string track;
            if (!next(track))
                return false;
            if (!sim::ParseBoatTrack(track, o.simulatorTrack, &error)) {
                error = "--sim-track: " + error;
                return false;
            }
            o.simulatorOnTrack = true;
        } else if (arg == "--survey-folder") {
            o.surveyFolder = true;
        } else if (const int taken = QtOptionArguments(arg); taken != 0) {
            if (taken == 2 && ++i >= argc) {
                error = arg + " needs a value";
                return false;
            }
            if (arg.rfind("-style", 0) == 0 && arg.rfind("-stylesheet", 0) != 0)
                o.qtStyle = true;
        } else if (!arg.empty() && arg[0] != '-') {
            // A file given by itself, as a file manager opens a recording: played as --play.
            if (!o.playPath.empty()) {
                error = "only one file can be played: \"" + o.playPath + "\" and \"" + arg + "\"";
                return false;
            }
            o.playPath = arg;
        } else {
            error = "unknown option \"" + arg + "\" (see --help)";
            return false;
        }
    }
    if (!o.simulatorGpsPath.empty() && !o.simulate) {
        error = "--sim-gps-file needs --simulate";
        return false;
    }
    if (o.simulatorOnTrack && !o.simulate) {
        error = "--sim-track needs --simulate";
        return false;
    }
    return true;
}

std::string CommandLineHelp(const std::string& program) {
    return "Usage: " + program +
           " [options] [FILE.KSD]\n"
           "Tarvisk: control, display and logging for the K260 sonar head.\n\n"
           "  --simulate[=SCENE]     start the built-in head simulator and use it as COM1;\n"
           "                         SCENE is harbour (default), borehole or channel\n"
           "  --ini FILE             read and write FILE instead of TARVISK.INI\n"
           "  --port COMn=PATH       use device PATH for port COMn (repeatable)\n"
           "  --quit-after-shots N   close the window after N shots, as the operator would\n"
           "  --quit-after SECONDS   close the window after SECONDS\n"
           "  --save-screen FILE.bmp save a screen capture just before closing\n"
           "  --play FILE.KSD        start in playback with FILE.KSD\n"
           "  --record FILE.KSD      record live shots to FILE.KSD\n"
           "  --sim-log FILE         with --simulate: write every command the head hears to FILE\n"
           "  --sim-gps-file FILE    with --simulate: the simulated GPS receiver replays the NMEA\n"
           "                         capture FILE (\"#\" lines skipped) at the GPS baud rate,\n"
           "                         on the GPS port; turn GPS on with UseGPS=1 or Com Ports\n"
           "  --sim-track LAT,LON,HEADING,SPEED\n"
           "                         with --simulate: the simulated boat runs a straight line\n"
           "                         from LAT,LON on HEADING (degrees true) at SPEED m/s; its GPS\n"
           "                         (on with UseGPS=1) and orientation module follow it\n"
           "  --survey-folder        work in the survey folder, $XDG_DOCUMENTS_DIR/Tarvisk (or\n"
           "                         ~/Tarvisk), as a start from the desktop menu does\n"
           "  --version              show the program's name and version\n"
           "  --help                 show this text\n\n"
           "FILE.KSD opens in playback, as --play FILE.KSD. Qt's own options (-display,\n"
           "-platform, -style ...) are taken as well. With QT_QPA_PLATFORM=offscreen the\n"
           "program runs without a display.\n\n" +
           std::string(sim::SceneHelpText());
}

}  // namespace tarvisk
