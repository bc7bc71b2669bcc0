#include "files/recorder.h"

#include <cstdio>

namespace tarvisk {

void FormatFileTitle(std::array<char, 400>& out, std::string_view verb, std::string_view path,
                     int64_t kilobytes) {
    const int pathLen = static_cast<int>(path.size() > 300 ? 300 : path.size());
    if (kilobytes < 0)
        std::snprintf(out.data(), out.size(), "%s - %.*s %.*s", WindowTitle.data(),
                      static_cast<int>(verb.size()), verb.data(), pathLen, path.data());
    else
        std::snprintf(out.data(), out.size(), "%s - %.*s %.*s - %lld kB", WindowTitle.data(),
                      static_cast<int>(verb.size()), verb.data(), pathLen, path.data(),
                      static_cast<long long>(kilobytes));
}

bool FormatDroppedStatus(std::array<char, 128>& status, std::string_view what, int64_t dropped,
                         int64_t& lastShown, std::chrono::steady_clock::time_point& lastTime) {
    const auto now = std::chrono::steady_clock::now();
    if (dropped == lastShown || (lastShown != 0 && now - lastTime < std::chrono::seconds(1)))
        return false;
    lastShown = dropped;
    lastTime = now;
    std::snprintf(status.data(), status.size(), "%.*s: %lld shots could not be written",
                  static_cast<int>(what.size()), what.data(), static_cast<long long>(dropped));
    return true;
}

std::string WriterReportText(const WriterReport& r) {
    if (r.NotWritten() == 0 && !r.stalled)
        return {};
    char text[300];
    std::snprintf(text, sizeof text,
                  "\n%lld records (%lld kB) were written; %lld shots could not be written.%s",
                  static_cast<long long>(r.recordsWritten),
                  static_cast<long long>(r.bytesWritten / 1024),
                  static_cast<long long>(r.NotWritten()),
                  r.stalled ? "\nThe disk did not answer in time." : "");
    return text;
}

Recorder::Recorder(SonarSettings& settings, FileUi& ui) : settings_(settings), ui_(ui) {}

bool Recorder::Start(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    titlePath_ = path;
    lastShownDropped_ = 0;
    recording_ = writer_.Open(path);
    return recording_;
}

WriterReport Recorder::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        recording_ = false;
        writer_.BeginClose();
    }
    // Waited for outside the lock: a shot arriving meanwhile finds the recording stopped.
    return writer_.FinishClose();
}

bool Recorder::IsRecording() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return recording_;
}

bool Recorder::TakeFailure() {
    if (!recording_ || !writer_.Failed())
        return false;
    recording_ = false;
    writer_.BeginClose();
    std::snprintf(warning_.data(), warning_.size(), "%s", writer_.FailureText().data());
    return true;
}

void Recorder::TellFailure() {
    ui_.SetWindowTitle(WindowTitle);
    ui_.SetMenuItemText(MenuRecord, RecordStartText);
    ui_.ShowWarning(warning_.data(), "Recording Stopped");
}

void Recorder::CheckWriter() {
    bool failed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failed = TakeFailure();
    }
    if (failed)
        TellFailure();
}

std::string Recorder::Path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writer_.Path();
}

int64_t Recorder::BytesRecorded() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writer_.BytesWritten();
}

void Recorder::RecordShot(const ReplyBuffer& reply, const ExpectedReply& expected) {
    bool failed = false;
    bool titleChanged = false;
    bool statusChanged = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!recording_)
            return;
        failed = TakeFailure();
        const int32_t n = expected.ExpectedReplyLength;
        if (!failed && n >= 0 && n <= static_cast<int32_t>(reply.bytes.size())) {
            RecordSource source;
            source.Reply = std::span<const uint8_t>(reply.bytes.data(), static_cast<size_t>(n));
            source.SizeCode = expected.RecordSizeCode;
            source.Stamp = clock_ ? clock_->CurrentShotTimeStamp() : CurrentTimeStamp();
            if (settings_.UseGPS == 1) {
                fix_ = GpsFix{};
                if (gps_)
                    gps_->CopyFix(fix_);
                source.Gps = &fix_;
            }
            source.AzimuthPosition = azimuth_ ? azimuth_->RespondingDrivePosition() : -1;
            source.PreviousRecordSize = writer_.PreviousRecordSize();
            // A reply that does not fit its record (size 0) is not stored.
            const size_t size = EncodeRecord(source, settings_, record_);
            if (size == 0) {
            } else if (!writer_.Write(std::span<const uint8_t>(record_.data(), size))) {
                statusChanged = FormatDroppedStatus(status_, "Recording", writer_.RecordsDropped(),
                                                    lastShownDropped_, lastStatus_);
            } else if (const int64_t kb = writer_.BytesWritten() / 1024; kb != lastShownKb_) {
                lastShownKb_ = kb;
                FormatFileTitle(title_, "Recording to", titlePath_, kb);
                titleChanged = true;
            }
        }
    }
    if (failed)
        TellFailure();
    else if (titleChanged)
        ui_.SetWindowTitle(title_.data());
    if (statusChanged)
        ui_.ShowFileStatus(status_.data());
}

}  // namespace tarvisk
