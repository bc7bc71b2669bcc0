#pragma once
// The simulated head line: a sonar head, an azimuth drive and an orientation module behind one
// pseudo-terminal (or a real serial device), answering the program's switch commands with the
// line's real timing, plus an optional NMEA talker on a second pseudo-terminal. Runs on its
// own threads; Start and Stop come from any one controlling thread.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/pseudo_terminal.h"
#include "platform/serial_port.h"
#include "sim/boat_track.h"
#include "sim/nmea_replay.h"
#include "sim/nmea_talker.h"
#include "sim/sim_devices.h"

namespace tarvisk::sim {

struct SimulatorOptions {
    std::string devicePath;  // a serial device to answer on; empty opens a new pseudo-terminal
    std::string linkPath;    // optional symlink kept pointing at the pseudo-terminal
    uint64_t seed = 1;
    bool unpaced = false;  // answer as soon as the program is ready, at no line speed
    // 0 or more: answer this long after the command's last byte, as early as a real head may,
    // without waiting for the program's flush after its send (a late flush then eats the
    // answer's start, as it would on a real line). Negative: wait for the flush.
    int64_t earlyAnswerMicroseconds = -1;
    int32_t baudRate = 115200;
    std::string commandLogPath;  // every received frame as a line of hex
    bool gps = false;
    std::string gpsLinkPath;
    NmeaSentence gpsSentence = NmeaSentence::Gga;
    std::string gpsReplayPath;         // a receiver capture sent instead of the made-up sentences
    int32_t gpsBaud = 4800;            // the capture's pace on the line
    double silentAfterSeconds = -1.0;  // stop answering after this long (negative: never)
    int32_t headId = 16;
    // Further heads on the same line, found by a head scan and driven when addressed.
    std::vector<ExtraHead> extraHeads;
    int32_t azimuthStepsPerReply = 0;
    // A drive that turns in real time (20: 6 degrees a second) and answers once it stands
    // where it was sent; 0 turns by azimuthStepsPerReply and answers every command.
    double azimuthStepsPerSecond = 0.0;
    int32_t orientationOutlierEvery = 40;  // replies between wild readings (0: none)
    bool orientationModule = true;         // false: no module fitted, its requests go unanswered
    SceneKind scene = SceneKind::Harbour;
    bool mountedUp = false;  // the transducer points up: its sweep turns the other way
    // The boat runs along this line from the start: GPS, heading and scene follow it.
    bool onTrack = false;
    BoatTrack track;
};

struct SimulatorStats {
    uint64_t framesReceived = 0;
    uint64_t headReplies = 0;
    uint64_t azimuthReplies = 0;
    uint64_t orientationReplies = 0;
    uint64_t bytesSent = 0;
    uint64_t lineOpens = 0;
    uint64_t flushFallbacks = 0;  // answers sent without seeing the program's flush
    // Frames that came while the one before was still being answered: a program that waits for
    // each reply sends none (only its re-sends after silence or a torn reply).
    uint64_t framesCuttingIn = 0;
};

class HeadSimulator {
  public:
    HeadSimulator() = default;
    ~HeadSimulator();
    HeadSimulator(const HeadSimulator&) = delete;
    HeadSimulator& operator=(const HeadSimulator&) = delete;

    // Opens the line(s) and starts answering. False (with Error()) when a line cannot be made.
    bool Start(const SimulatorOptions& options);
    void Stop();
    bool Running() const { return running_.load(); }
    const std::string& Error() const { return error_; }

    // The path the program opens: the link path when one was given, else the device.
    std::string DevicePath() const;
    std::string GpsDevicePath() const;

    void SetSilent(bool silent) { silent_.store(silent); }
    // Pulls the plug halfway through the next reply: the line closes mid-frame.
    void DropLineMidReply() { dropMidReply_.store(true); }
    // Closes the line at once (the program sees the port vanish).
    void CloseLine();
    // Opens a fresh line; with a link path the program finds it at the same path.
    bool ReopenLine();

    SimulatorStats Stats() const;
    // Head position the next shot will be taken at (for tests).
    int32_t HeadPosition() const { return headPosition_.load(); }
    // Wall-clock seconds since 1970 at which the boat set off along its track.
    double TrackStart() const { return trackStart_; }

  private:
    enum LineRequest : int { NoRequest = 0, CloseRequest = 1, ReopenRequest = 2 };
    bool OpenLine();
    void CloseLineNow();
    void Run();
    void RunGps();
    bool WaitRequest(int request);

    SimulatorOptions options_;
    std::string error_;
    PseudoTerminal pty_;
    SerialPort device_;
    int fd_ = -1;  // the line the thread reads, owned by pty_ or device_
    bool packetMode_ = false;
    PseudoTerminal gpsPty_;
    NmeaReplay gpsReplay_;
    std::FILE* log_ = nullptr;

    mutable std::mutex pathMutex_;
    std::string devicePath_;

    std::atomic<bool> running_{false};
    std::atomic<bool> silent_{false};
    std::atomic<bool> dropMidReply_{false};
    std::atomic<int> lineRequest_{NoRequest};
    std::atomic<bool> lineRequestOk_{false};
    std::atomic<int32_t> headPosition_{600};
    double trackStart_ = 0.0;  // wall-clock seconds since 1970 when the boat set off

    std::atomic<uint64_t> framesReceived_{0}, headReplies_{0}, azimuthReplies_{0},
        orientationReplies_{0}, bytesSent_{0}, lineOpens_{0}, flushFallbacks_{0},
        framesCuttingIn_{0};

    std::thread thread_;
    std::thread gpsThread_;
};

}  // namespace tarvisk::sim
