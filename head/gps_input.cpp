#include "head/gps_input.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>

namespace tarvisk {

namespace {
constexpr int PollMilliseconds = 100;
constexpr size_t MaxRead = 128;
}  // namespace

int32_t GpsBaudRate(int32_t index) {
    switch (index) {
        case 1:
            return 9600;
        case 2:
            return 19200;
        case 3:
            return 38400;
        case 4:
            return 57600;
        case 5:
            return 115200;
        default:
            return 4800;
    }
}

void GpsSentenceReader::OnSentence(std::string_view line) {
    const NmeaKind kind = SentenceKind(line, settings_.GPSType);
    if (kind == NmeaKind::Other)
        return;
    state_.Age = 0;
    bool valid;
    {
        std::lock_guard lock(state_.Busy);
        valid = ParseSentence(kind, line, state_.Fields);
    }
    ++parsed_;
    if (onParsed)
        onParsed(kind, state_.Copy());
    if (valid)
        view_.ShowGpsPosition(true);
}

bool GpsSentenceReader::Purge() {
    if (!port)
        return false;
    // The queued bytes are read out and dropped rather than flushed unseen: only then is it
    // certain whether any were lost (a byte arriving during a flush would vanish unnoticed).
    // Bounded, so a line that never stops talking cannot hold the thread here.
    bool discarded = false;
    SerialLineStatus status;
    for (int pass = 0; pass < 256 && port->ReadStatus(status) && status.queued > 0; ++pass) {
        const size_t wanted = std::min(static_cast<size_t>(status.queued), discard_.size());
        if (port->Read(discard_.data(), wanted) <= 0)
            break;
        discarded = true;
    }
    return discarded;
}

GpsInput::GpsInput(SonarSettings& settings, GpsState& state, GpsView& view)
    : settings_(settings), state_(state), view_(view), reader_(settings, state, view) {}

GpsInput::~GpsInput() {
    StopGps();
}

bool GpsInput::OpenGpsPort(int32_t portIndex, const std::string& devicePath) {
    (void)portIndex;
    if (settings_.UseGPS != 1 || devicePath.empty() || port_.IsOpen())
        return port_.IsOpen();
    if (!port_.Open(devicePath, 0, true))
        return false;
    port_.PurgeInput();
    return true;
}

bool GpsInput::StartGps() {
    if (settings_.UseGPS != 1 || !port_.IsOpen() || running_.load())
        return running_.load();
    if (!port_.Configure(GpsBaudRate(settings_.GPSBaudRate)))
        return false;
    reader_.port = &port_;
    reader_.Reset();
    running_.store(true);
    try {
        thread_ = std::thread(&GpsInput::Loop, this);
    } catch (const std::system_error&) {
        running_.store(false);
        return false;
    }
    port_.SetDtr(true);
    return true;
}

void GpsInput::StopGps() {
    if (!port_.IsOpen() && !thread_.joinable())
        return;
    running_.store(false);
    if (thread_.joinable())
        thread_.join();
    if (port_.IsOpen()) {
        port_.SetDtr(false);
        port_.Purge();
        port_.Close();
    }
    readBuffer_.fill(0);
    reader_.Reset();
}

void GpsInput::Loop() {
    // Lowest priority where allowed: a position a little late never matters.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
    while (running_.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMilliseconds));
        SerialLineStatus status;
        if (!port_.ReadStatus(status) || status.queued <= 0)
            continue;
        const size_t wanted = std::min(static_cast<size_t>(status.queued), MaxRead);
        const int64_t n = port_.Read(readBuffer_.data(), wanted);
        if (n <= 0)
            continue;
        if (settings_.RunMode != 0 || settings_.Hold != 0) {
            std::fill_n(readBuffer_.begin(), n, uint8_t{0});
            continue;
        }
        reader_.Feed(readBuffer_.data(), static_cast<size_t>(n));
        std::fill_n(readBuffer_.begin(), n, uint8_t{0});
        parsed_.store(reader_.Parsed());
    }
}

}  // namespace tarvisk
