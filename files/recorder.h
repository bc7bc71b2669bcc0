#pragma once
// Recording live shots: one record per accepted reply, encoded by the shot pipeline on the
// acquisition thread and handed to the writer thread, while the window starts and stops the
// file on its own thread. The acquisition thread never writes to the disk.

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "files/file_ui.h"
#include "files/ksd_record.h"
#include "files/record_writer.h"
#include "head/shot_record.h"
#include "settings/sonar_settings.h"

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
    // Closes the file, waiting a few seconds at most for the writer, and says what was kept.
    WriterReport Stop();
    bool IsRecording() const;
    std::string Path() const;
    int64_t BytesRecorded() const;

    // The shot pipeline's hand-off for every accepted live reply: encodes and writes one
    // record for the writer, then refreshes the title when its kB figure changed. Shots the
    // writer has no room for are counted in the status line. A failed write stops the
    // recording with a warning naming the file and what was kept; acquisition goes on.
    void RecordShot(const ReplyBuffer& reply, const ExpectedReply& expected);
    // Reports a writer that failed since the last shot (the window polls this too, so a
    // failure is told even when no more shots come).
    void CheckWriter();
    RecordWriter& Writer() { return writer_; }

  private:
    // Under mutex_: true when the failure was taken over and must be told.
    bool TakeFailure();
    void TellFailure();

    SonarSettings& settings_;
    FileUi& ui_;
    GpsFixSource* gps_ = nullptr;
    AzimuthPositionSource* azimuth_ = nullptr;
    TimeStampSource* clock_ = nullptr;
    mutable std::mutex mutex_;
    RecordWriter writer_;
    bool recording_ = false;
    RecordBytes record_{};
    int64_t lastShownDropped_ = 0;
    std::chrono::steady_clock::time_point lastStatus_{};
    std::array<char, 128> status_{};
    GpsFix fix_{};
    int64_t lastShownKb_ = 0;
    std::array<char, 400> title_{};
    std::array<char, 512> warning_{};
    std::string titlePath_;  // titles show the path in lower case
};

// Shots the writer dropped since the last status, at most one status line a second: true
// when status holds a new text.
bool FormatDroppedStatus(std::array<char, 128>& status, std::string_view what, int64_t dropped,
                         int64_t& lastShown, std::chrono::steady_clock::time_point& lastTime);
// The lines added to the path in the closing box when not every record reached the file.
std::string WriterReportText(const WriterReport& report);

// "%s - Recording to %s - %d kB" and friends, into a fixed buffer.
void FormatFileTitle(std::array<char, 400>& out, std::string_view verb, std::string_view path,
                     int64_t kilobytes);

}  // namespace tarvisk
