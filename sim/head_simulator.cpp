#include "sim/head_simulator.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/delay.h"
#include "platform/port_access.h"

namespace tarvisk::sim {

namespace {
// The boat's track runs on the clock the GPS reports in.
double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}
}  // namespace

namespace {

constexpr double SoundSpeed = 1500.0;
// When the program's flush after its send is never seen (it may merge with an earlier one),
// answer anyway after this long.
constexpr int64_t FlushFallbackMicroseconds = 50000;

bool PointLink(const std::string& link, const std::string& target) {
    if (link.empty())
        return true;
    // A new link renamed over the old one, so the program never sees the path missing.
    std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0)
        return false;
    return ::rename(temporary.c_str(), link.c_str()) == 0;
}

// Takes the link away when it still points where this simulator put it: once the terminal is
// given back its number goes to someone else, and a program following the link would open
// their terminal.
void RemoveLink(const std::string& link, const std::string& target) {
    if (link.empty() || target.empty())
        return;
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size() - 1);
    if (n > 0 && std::string(buffer.data(), static_cast<size_t>(n)) == target)
        ::unlink(link.c_str());
}

}  // namespace

HeadSimulator::~HeadSimulator() {
    Stop();
}

bool HeadSimulator::OpenLine() {
    if (!options_.devicePath.empty()) {
        if (!device_.Open(options_.devicePath, options_.baudRate)) {
            error_ = "cannot open " + options_.devicePath + ": " +
                     PortProblemReason(device_.LastOpenProblem());
            return false;
        }
        fd_ = device_.Fd();
        packetMode_ = false;
        std::lock_guard<std::mutex> lock(pathMutex_);
        devicePath_ = options_.devicePath;
    } else {
        if (!pty_.Open(true, true)) {
            error_ = "cannot open a pseudo-terminal";
            return false;
        }
        if (!PointLink(options_.linkPath, pty_.SlavePath())) {
            error_ = "cannot make the link " + options_.linkPath;
            pty_.Close();
            return false;
        }
        fd_ = pty_.MasterFd();
        packetMode_ = true;
        std::lock_guard<std::mutex> lock(pathMutex_);
        devicePath_ = options_.linkPath.empty() ? pty_.SlavePath() : options_.linkPath;
    }
    lineOpens_.fetch_add(1);
    return true;
}

void HeadSimulator::CloseLineNow() {
    if (pty_.MasterFd() >= 0)
        RemoveLink(options_.linkPath, pty_.SlavePath());
    pty_.Close();
    device_.Close();
    fd_ = -1;
}

bool HeadSimulator::Start(const SimulatorOptions& options) {
    Stop();
    options_ = options;
    error_.clear();
    if (!OpenLine())
        return false;
    if (!options_.commandLogPath.empty()) {
        log_ = std::fopen(options_.commandLogPath.c_str(), "w");
        if (!log_) {
            error_ = "cannot write " + options_.commandLogPath;
            CloseLineNow();
            return false;
        }
    }
    if (options_.gps) {
        if (!gpsPty_.Open(true, false) || !PointLink(options_.gpsLinkPath, gpsPty_.SlavePath())) {
            error_ = "cannot open the GPS pseudo-terminal";
            Stop();
            return false;
        }
        if (!options_.gpsReplayPath.empty() && !gpsReplay_.Open(options_.gpsReplayPath, error_)) {
            Stop();
            return false;
        }
    }
    trackStart_ = WallSeconds();
    running_.store(true);
    thread_ = std::thread(&HeadSimulator::Run, this);
    if (options_.gps)
        gpsThread_ = std::thread(&HeadSimulator::RunGps, this);
    return true;
}

void HeadSimulator::Stop() {
    running_.store(false);
    if (thread_.joinable())
        thread_.join();
    if (gpsThread_.joinable())
        gpsThread_.join();
    CloseLineNow();
    if (gpsPty_.MasterFd() >= 0)
        RemoveLink(options_.gpsLinkPath, gpsPty_.SlavePath());
    gpsPty_.Close();
    gpsReplay_.Close();
    if (log_) {
        std::fclose(log_);
        log_ = nullptr;
    }
}

std::string HeadSimulator::DevicePath() const {
    std::lock_guard<std::mutex> lock(pathMutex_);
    return devicePath_;
}

std::string HeadSimulator::GpsDevicePath() const {
    if (!options_.gps)
        return {};
    return options_.gpsLinkPath.empty() ? gpsPty_.SlavePath() : options_.gpsLinkPath;
}

bool HeadSimulator::WaitRequest(int request) {
    if (!running_.load())
        return false;
    lineRequestOk_.store(false);
    lineRequest_.store(request);
    while (lineRequest_.load() != NoRequest && running_.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return lineRequestOk_.load();
}

void HeadSimulator::CloseLine() {
    WaitRequest(CloseRequest);
}
bool HeadSimulator::ReopenLine() {
    return WaitRequest(ReopenRequest);
}

SimulatorStats HeadSimulator::Stats() const {
    SimulatorStats stats;
    stats.framesReceived = framesReceived_.load();
    stats.framesCuttingIn = framesCuttingIn_.load();
    stats.headReplies = headReplies_.load();
    stats.azimuthReplies = azimuthReplies_.load();
    stats.orientationReplies = orientationReplies_.load();
    stats.bytesSent = bytesSent_.load();
    stats.lineOpens = lineOpens_.load();
    stats.flushFallbacks = flushFallbacks_.load();
    return stats;
}

void HeadSimulator::Run() {
    // The main head first: when two devices share an ID, it is the one that answers.
    std::vector<SonarHeadModel> heads;
    heads.reserve(1 + options_.extraHeads.size());
    heads.emplace_back(options_.seed, options_.headId, options_.scene);
    for (const ExtraHead& extra : options_.extraHeads)
        heads.emplace_back(options_.seed + static_cast<uint64_t>(extra.id), extra.id,
                           options_.scene, extra.kind);
    const SonarHeadModel& head = heads.front();
    AzimuthDriveModel azimuth(options_.azimuthStepsPerReply, options_.seed);
    if (options_.azimuthStepsPerReply == 0)
        azimuth.TurnInRealTime(options_.azimuthStepsPerSecond);
    OrientationModuleModel orientation(options_.seed);
    orientation.SetOutlierEvery(options_.orientationOutlierEvery);
    if (options_.onTrack)
        orientation.FollowHeading(options_.track.headingDegrees);
    headPosition_.store(head.Position());

    const int64_t start = MonotonicMicroseconds();
    const double bytesPerMicrosecond = options_.baudRate / 10.0 / 1e6;
    const int64_t frameLineTime =
        options_.unpaced ? 0 : static_cast<int64_t>(CommandSize / bytesPerMicrosecond);

    std::array<uint8_t, CommandSize> frame{};
    size_t fill = 0;
    bool pending = false;
    SimCommand command;
    int64_t frameTime = 0;
    bool flushSeen = false;
    const bool early = options_.earlyAnswerMicroseconds >= 0;

    ReplyFrame reply{};
    int32_t replyLength = 0;
    int32_t sent = 0;
    int64_t sendStart = 0;
    bool dropping = false;

    std::array<uint8_t, 1024> buffer{};
    while (running_.load()) {
        if (int request = lineRequest_.load(); request != NoRequest) {
            CloseLineNow();
            bool ok = true;
            if (request == ReopenRequest)
                ok = OpenLine();
            fill = 0;
            pending = false;
            replyLength = 0;
            lineRequestOk_.store(ok);
            lineRequest_.store(NoRequest);
        }
        if (fd_ < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }

        int timeoutMs = 20;
        if (replyLength > 0 || pending)
            timeoutMs = 1;
        pollfd p{fd_, POLLIN | POLLPRI, 0};
        int r = ::poll(&p, 1, timeoutMs);
        if (r > 0 && (p.revents & (POLLIN | POLLPRI))) {
            ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            const uint8_t* data = buffer.data();
            if (n > 0 && packetMode_) {
                if (buffer[0] != TIOCPKT_DATA) {
                    if (buffer[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE))
                        flushSeen = true;
                    n = 0;
                } else {
                    ++data;
                    --n;
                }
            }
            for (ssize_t i = 0; i < n; ++i) {
                uint8_t b = data[i];
                // Resynchronise on the two start bytes.
                if (fill == 0 && b != 0xFE)
                    continue;
                if (fill == 1 && b != 0x44) {
                    fill = b == 0xFE ? 1 : 0;
                    continue;
                }
                frame[fill++] = b;
                if (fill < CommandSize)
                    continue;
                fill = 0;
                framesReceived_.fetch_add(1);
                if (log_) {
                    std::string line = FormatCommandHex(frame);
                    std::fprintf(log_, "%s\n", line.c_str());
                    std::fflush(log_);
                }
                SimCommand parsed;
                if (!ParseSimCommand(frame, parsed))
                    continue;
                bool silent =
                    silent_.load() || (options_.silentAfterSeconds >= 0 &&
                                       MonotonicMicroseconds() - start >
                                           static_cast<int64_t>(options_.silentAfterSeconds * 1e6));
                if (silent)
                    continue;
                // A newer frame replaces one not yet answered, as the program has moved on.
                if (pending || replyLength > 0)
                    framesCuttingIn_.fetch_add(1);
                command = parsed;
                pending = true;
                frameTime = MonotonicMicroseconds();
                flushSeen = false;
            }
        } else if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }

        const int64_t now = MonotonicMicroseconds();
        if (replyLength == 0 && pending) {
            int64_t turnaround = 0;
            if (!options_.unpaced) {
                const double range = std::max(command.rangeMeters, 1);
                turnaround = frameLineTime + static_cast<int64_t>(2.0 * range / SoundSpeed * 1e6);
            }
            bool ready = now >= frameTime + turnaround;
            if (early) {
                ready = now >= frameTime + options_.earlyAnswerMicroseconds;
            } else if (ready && packetMode_ && !flushSeen) {
                // On a pseudo-terminal the program's flush after its send would throw away an
                // early answer; wait for it (a real line gives the same slack through the
                // timing).
                ready = now >= frameTime + std::max(turnaround, FlushFallbackMicroseconds);
            }
            if (ready) {
                pending = false;
                if (packetMode_ && !flushSeen && !early)
                    flushFallbacks_.fetch_add(1);
                const double t = (now - start) * 1e-6;
                HeadPose pose;
                OrientationModuleModel::Attitude(t, pose);
                pose.azimuthDegrees = (azimuth.Position() - 600) * 0.3f;
                pose.mountedUp = options_.mountedUp;
                if (options_.onTrack)
                    pose.aheadMetres = static_cast<float>(
                        DistanceOnTrack(options_.track, WallSeconds() - trackStart_));
                replyLength = 0;
                for (SonarHeadModel& h : heads) {
                    h.SetPose(pose);
                    if ((replyLength = h.Respond(command, reply)) > 0)
                        break;
                }
                if (replyLength > 0) {
                    headReplies_.fetch_add(1);
                    headPosition_.store(head.Position());
                } else if ((replyLength = azimuth.Respond(command, t, reply)) > 0) {
                    azimuthReplies_.fetch_add(1);
                } else if (options_.orientationModule &&
                           (replyLength = orientation.Respond(command, t, reply)) > 0) {
                    orientationReplies_.fetch_add(1);
                }
                sent = 0;
                sendStart = now;
                if (replyLength > 0 && dropMidReply_.exchange(false))
                    dropping = true;
            }
        }
        // Written in the pass it became due, so no answer waits for the next poll.
        if (replyLength > 0) {
            int32_t due =
                options_.unpaced
                    ? replyLength
                    : std::min<int32_t>(
                          replyLength,
                          static_cast<int32_t>((now - sendStart) * bytesPerMicrosecond) + 1);
            if (dropping)
                due = std::min(due, replyLength / 2);
            if (due > sent) {
                ssize_t w = ::write(fd_, reply.data() + sent, static_cast<size_t>(due - sent));
                if (w > 0) {
                    sent += static_cast<int32_t>(w);
                    bytesSent_.fetch_add(static_cast<uint64_t>(w));
                }
            }
            if (dropping && sent >= replyLength / 2) {
                CloseLineNow();  // the plug is out; the program must notice
                dropping = false;
                replyLength = 0;
                pending = false;
                continue;
            }
            if (sent >= replyLength)
                replyLength = 0;
        }
    }
}

void HeadSimulator::RunGps() {
    NmeaTalker talker(options_.seed);
    if (options_.onTrack)
        talker.FollowTrack(options_.track, trackStart_);
    std::array<uint8_t, 256> sink{};
    std::array<uint8_t, 512> chunk{};
    const bool replay = gpsReplay_.IsOpen();
    auto next = std::chrono::steady_clock::now();
    gpsReplay_.Begin(options_.gpsBaud, next);
    while (running_.load()) {
        // Nobody writes to a GPS, but keep its input from filling up.
        while (::read(gpsPty_.MasterFd(), sink.data(), sink.size()) > 0) {
        }
        const auto now = std::chrono::steady_clock::now();
        if (replay) {
            // A full or closed line loses what does not fit, as a receiver's UART would.
            size_t n;
            while ((n = gpsReplay_.Take(now, chunk.data(), chunk.size())) > 0) {
                if (::write(gpsPty_.MasterFd(), chunk.data(), n) < 0 || n < chunk.size())
                    break;
            }
        } else if (now >= next) {
            next += std::chrono::seconds(1);
            std::string text = options_.onTrack
                                   ? talker.SentencesAt(options_.gpsSentence, WallSeconds())
                                   : talker.Sentences(options_.gpsSentence, std::time(nullptr));
            if (::write(gpsPty_.MasterFd(), text.data(), text.size()) < 0) {
                // A full or closed line drops the sentence, as a real receiver's would.
            }
        }
        // Replayed bytes go out in small pieces, as they come off a receiver's line.
        std::this_thread::sleep_for(std::chrono::milliseconds(replay ? 10 : 20));
    }
}

}  // namespace tarvisk::sim
