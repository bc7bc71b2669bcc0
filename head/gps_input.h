#pragma once
// The GPS receiver on its own serial port: opened read-only, polled every 100 ms by the
// GpsThread at the lowest priority, its sentences parsed into the GPS state.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "head/gps_fix.h"
#include "head/gps_parser.h"
#include "platform/serial_port.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// What the GPS thread asks of the window.
class GpsView {
  public:
    virtual ~GpsView() = default;
    // Draws the GPS field; fresh after a sentence with valid hemispheres.
    virtual void ShowGpsPosition(bool fresh) { (void)fresh; }
};

// 4800, 9600, 19200, 38400, 57600, 115200 for GPSBaudRate 0..5; 4800 for any other.
int32_t GpsBaudRate(int32_t gpsBaudIndex);

// One poll's worth of bytes through the line assembly and parser, as the thread does it.
// Returns the number of sentences parsed; `purge` is called where the port input is purged.
class GpsSentenceReader : public NmeaLineSink {
  public:
    GpsSentenceReader(const SonarSettings& settings, GpsState& state, GpsView& view)
        : settings_(settings), state_(state), view_(view) {}
    void Feed(const uint8_t* bytes, size_t count) { assembler_.Feed(bytes, count, *this); }
    void Reset() { assembler_.Reset(); }
    size_t LinePosition() const { return assembler_.Position(); }
    SerialPort* port = nullptr;  // purged at line ends when set
    // After each parsed sentence (the tool prints it).
    std::function<void(NmeaKind kind, const GpsFields& fields)> onParsed;
    uint64_t Parsed() const { return parsed_; }

    void OnSentence(std::string_view line) override;
    bool Purge() override;

  private:
    const SonarSettings& settings_;
    GpsState& state_;
    GpsView& view_;
    NmeaLineAssembler assembler_;
    std::array<uint8_t, 256> discard_{};
    uint64_t parsed_ = 0;
};

class GpsInput {
  public:
    GpsInput(SonarSettings& settings, GpsState& state, GpsView& view);
    ~GpsInput();
    GpsInput(const GpsInput&) = delete;
    GpsInput& operator=(const GpsInput&) = delete;

    // Only with UseGPS: opens the device read-only and purges its input.
    bool OpenGpsPort(int32_t portIndex, const std::string& devicePath);
    // Only with UseGPS and the port open: 8N1 at GPSBaudRate, then the thread and DTR.
    bool StartGps();
    // Only with the port open: the thread stops, DTR drops, the port closes, buffers cleared.
    void StopGps();
    bool Running() const { return running_.load(); }
    bool PortOpen() const { return port_.IsOpen(); }
    uint64_t SentencesParsed() const { return parsed_.load(); }

  private:
    void Loop();

    SonarSettings& settings_;
    GpsState& state_;
    GpsView& view_;
    SerialPort port_;
    GpsSentenceReader reader_;
    std::array<uint8_t, 1024> readBuffer_{};
    std::atomic<bool> running_{false};
    std::atomic<uint64_t> parsed_{0};
    std::thread thread_;
};

}  // namespace tarvisk
