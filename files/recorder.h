#pragma once
// Recording live shots: one record per accepted reply, written by the shot pipeline on the
// acquisition thread, while the window starts and stops the file on its own thread.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "settings/sonar_settings.h"
#include "files/file_ui.h"
#include "files/ksd_record.h"
#include "files/record_writer.h"
#include "head/shot_record.h"

namespace tarvisk {

// The azimuth drive's position for the record: -1 unless the drive is enabled and responding.
class AzimuthPositionSource {
  public:
    virtual ~AzimuthPositionSource() = default;
    virtual int32_t RespondingDrivePosition() = 0;
};

// The date, time and hundredths the acquisition side refreshed for the current shot.
class TimeStampSource {
  public:
    virtual ~TimeStampSource() = default;
    virtual RecordTimeStamp CurrentShotTimeStamp() = 0;
};

class Recorder {
  public:
    Recorder(SonarSettings& settings, FileUi& ui);

    void SetGpsSource(GpsFixSource* gps) { gps_ = gps; }
    void SetAzimuthSource(AzimuthPositionSource* azimuth) { azimuth_ = azimuth; }
    void SetTimeStampSource(TimeStampSource* clock) { clock_ = clock; }

    // Creates the file; false, without a message, when it cannot be created.
    bool Start(const std::string& path);
    // Closes the file (the window shows the information box first).
    void Stop();
    bool IsRecording() const;
    std::string Path() const;
    int64_t BytesRecorded() const;

    // The shot pipeline's hand-off for every accepted live reply: encodes and writes one
    // record, then refreshes the title when its kB figure changed. A failed write stops the
    // recording with a warning naming the file and what was kept; acquisition goes on.
    void RecordShot(const ReplyBuffer& reply, const ExpectedReply& expected);

  private:
    SonarSettings& settings_;
    FileUi& ui_;
    GpsFixSource* gps_ = nullptr;
    AzimuthPositionSource* azimuth_ = nullptr;
    TimeStampSource* clock_ = nullptr;
    mutable std::mutex mutex_;
    RecordWriter writer_;
    RecordBytes record_{};
    GpsFix fix_{};
    int64_t lastShownKb_ = 0;
    std::array<char, 400> title_{};
    std::array<char, 512> warning_{};
    std::string titlePath_;  // titles show the path in lower case
};

// "%s - Recording to %s - %d kB" and friends, into a fixed buffer.
void FormatFileTitle(std::array<char, 400>& out, std::string_view verb, std::string_view path,
                     int64_t kilobytes);

}  // namespace tarvisk
