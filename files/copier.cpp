#include "files/copier.h"

#include "files/recorder.h"

namespace tarvisk {

bool Copier::Start(const std::string& path) {
    titlePath_ = LowerCasePath(path);
    return writer_.Open(path);
}

void Copier::CopyRecord(RecordBytes& record, int32_t size, const ReplyBuffer& reply,
                        std::string_view playbackTitle) {
    if (!writer_.IsOpen() || size < static_cast<int32_t>(RecordHeaderSize) + 12 ||
        size > static_cast<int32_t>(record.size()))
        return;
    record[RecordHeaderSize + 8] = reply.bytes[8];
    record[RecordHeaderSize + 9] = reply.bytes[9];
    // The source's link counts the source's previous record, which need not be the one
    // copied before this.
    WriteBigEndian16(record.data() + size - 2, (size + writer_.PreviousRecordSize()) & 0xFFFF);
    if (!writer_.Write(std::span<const uint8_t>(record.data(), static_cast<size_t>(size)))) {
        ui_.SetWindowTitle(playbackTitle);
        ui_.SetMenuItemText(MenuCopy, CopyStartText);
        ui_.ShowWarning(writer_.FailureText(), "Copy Stopped");
        return;
    }
    const int64_t kb = writer_.BytesWritten() / 1024;
    if (kb != lastShownKb_) {
        lastShownKb_ = kb;
        FormatFileTitle(title_, "Copying to", titlePath_, kb);
        ui_.SetWindowTitle(title_.data());
    }
}

}  // namespace tarvisk
