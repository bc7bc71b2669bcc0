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

Recorder::Recorder(SonarSettings& settings, FileUi& ui) : settings_(settings), ui_(ui) {}

bool Recorder::Start(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    titlePath_ = LowerCasePath(path);
    return writer_.Open(path);
}

void Recorder::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    writer_.Close();
}

bool Recorder::IsRecording() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writer_.IsOpen();
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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!writer_.IsOpen())
            return;
        int32_t n = expected.ExpectedReplyLength;
        if (n < 0 || n > static_cast<int32_t>(reply.bytes.size()))
            return;
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
        const size_t size = EncodeRecord(source, settings_, record_);
        if (size == 0)
            return;  // a reply that does not fit its record is not stored
        if (!writer_.Write(std::span<const uint8_t>(record_.data(), size))) {
            failed = true;
            std::snprintf(warning_.data(), warning_.size(), "%s", writer_.FailureText().data());
        } else {
            const int64_t kb = writer_.BytesWritten() / 1024;
            if (kb != lastShownKb_) {
                lastShownKb_ = kb;
                FormatFileTitle(title_, "Recording to", titlePath_, kb);
                titleChanged = true;
            }
        }
    }
    if (failed) {
        ui_.SetWindowTitle(WindowTitle);
        ui_.SetMenuItemText(MenuRecord, RecordStartText);
        ui_.ShowWarning(warning_.data(), "Recording Stopped");
    } else if (titleChanged) {
        ui_.SetWindowTitle(title_.data());
    }
}

}  // namespace tarvisk
