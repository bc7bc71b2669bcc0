#pragma once
// Options for scripted runs and tests; with none the program behaves as the operator expects.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/boat_track.h"

namespace tarvisk {

struct CommandLineOptions {
    bool help = false;
    bool version = false;
    bool simulate = false;           // start the head simulator on a pseudo-terminal as COM1
    std::string simulateScene;       // --simulate=NAME: the simulator's scene (empty: harbour)
    std::string iniPath;             // empty: TARVISK.INI in the working directory
    std::vector<std::string> ports;  // "COMn=PATH", applied after the INI file is read
    int64_t quitAfterShots = -1;     // close as the operator would after this many shots
    double quitAfterSeconds = -1.0;  // ... or after this long
    std::string saveScreenPath;      // a capture taken just before closing
    std::string playPath;            // start in playback with this file
    std::string recordPath;          // record live shots to this file from the start
    std::string simulatorLogPath;    // the simulated head logs every command it hears here
    std::string simulatorGpsPath;    // a receiver capture the simulated GPS replays
    bool simulatorOnTrack = false;   // the simulated boat runs along simulatorTrack
    sim::BoatTrack simulatorTrack;
    bool surveyFolder = false;       // work in the per-user survey folder (menu starts)
    bool qtStyle = false;            // Qt's -style was given: it chooses the look, not we
};

// Parses argv (argv[0] is the program). Returns false with a message on a bad option.
bool ParseCommandLine(int argc, const char* const* argv, CommandLineOptions& options,
                      std::string& error);

std::string CommandLineHelp(const std::string& program);

}  // namespace tarvisk
