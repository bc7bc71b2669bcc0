#include "files/copier.h"

#include "files/recorder.h"

namespace tarvisk {

bool Copier::Start(const std::string& path) {
    titlePath_ = path;
    lastShownDropped_ = 0;
    copying_ = writer_.Open(path);
    return copying_;
}

void Copier::CheckWriter(std::string_view playbackTitle) {
    if (!copying_ || !writer_.Failed())
        return;
    copying_ = false;
    const std::string text(writer_.FailureText());
    writer_.Close();
    ui_.SetWindowTitle(playbackTitle);
    ui_.SetMenuItemText(MenuCopy, CopyStartText);
    ui_.ShowWarning(text, "Copy Stopped");
}

void Copier::CopyRecord(RecordBytes& record, int32_t size, const ReplyBuffer& reply,
                        std::string_view playbackTitle) {
    if (writer_.Failed()) {
        CheckWriter(playbackTitle);
        return;
    }
    if (!copying_ || size < static_cast<int32_t>(RecordHeaderSize) + 12 ||
        size > static_cast<int32_t>(record.size()))
        return;
    record[RecordHeaderSize + 8] = reply.bytes[8];
    record[RecordHeaderSize + 9] = reply.bytes[9];
    // The source's link counts the source's previous record, which need not be the one
    // copied before this.
    WriteBigEndian16(record.data() + size - 2, (size + writer_.PreviousRecordSize()) & 0xFFFF);
    if (!writer_.Write(std::span<const uint8_t>(record.data(), static_cast<size_t>(size)))) {
        if (FormatDroppedStatus(status_, "Copy", writer_.RecordsDropped(), lastShownDropped_,
                                lastStatus_))
            ui_.ShowFileStatus(status_.data());
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
