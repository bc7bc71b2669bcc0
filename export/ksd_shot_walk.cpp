#include "export/ksd_shot_walk.h"

#include <algorithm>
#include <cstring>

#include "head/reply_decode.h"
#include "settings/settings_tables.h"

namespace tarvisk {

namespace {
// Large reads keep the walk at disk speed; the buffer is allocated once per file.
constexpr size_t BufferSize = 8u << 20;
}  // namespace

KsdShotWalk::KsdShotWalk() {
    link.Hooks = this;
    settings.RunMode = 1;
}

KsdShotWalk::~KsdShotWalk() = default;

bool KsdShotWalk::Open(const std::string& path, std::string* error) {
    if (!reader_.Open(path)) {
        if (error)
            *error = "cannot be read";
        return false;
    }
    uint8_t magic[3] = {};
    if (reader_.ReadAt(0, magic, 3) != 3 || std::memcmp(magic, RecordMagic.data(), 3) != 0) {
        if (error)
            *error = "not a sonar data file (no record at its start)";
        reader_.Close();
        return false;
    }
    buffer_.resize(BufferSize);
    bufferStart_ = 0;
    bufferLength_ = 0;
    next_ = 0;
    records_ = 0;
    damaged_ = 0;
    orientationSeen_ = false;
    return true;
}

bool KsdShotWalk::Fill(int64_t offset, size_t count) {
    if (offset >= bufferStart_ &&
        offset + static_cast<int64_t>(count) <= bufferStart_ + static_cast<int64_t>(bufferLength_))
        return true;
    bufferStart_ = offset;
    bufferLength_ = reader_.ReadAt(offset, buffer_.data(), buffer_.size());
    return bufferLength_ >= count;
}

bool KsdShotWalk::IsHeadShot() const {
    return accepted_ && (replyType_ == ReplyTypeSector || replyType_ == ReplyTypePolar ||
                         replyType_ == ReplyTypeProfile);
}

bool KsdShotWalk::Next() {
    if (!reader_.IsOpen())
        return false;
    for (;;) {
        if (next_ >= reader_.Size() || !Fill(next_, RecordHeaderSize))
            return false;
        const uint8_t* at = buffer_.data() + (next_ - bufferStart_);
        const std::span<const uint8_t> head(at, RecordHeaderSize);
        bool whole = CheckRecordHeader(head) == HeaderCheck::Ok;
        int32_t size = whole ? ReadBigEndian16(at + 4) : 0;
        if (whole && next_ + size > reader_.Size())
            whole = false;
        if (whole)
            break;
        // Damage: go on at the next whole record, as playback does.
        const int64_t found = reader_.NextWholeRecord(next_ + 1);
        if (found >= reader_.Size())
            return false;
        ++damaged_;
        next_ = found;
    }
    offset_ = next_;
    const uint8_t* at = buffer_.data() + (offset_ - bufferStart_);
    header_ = DecodeRecordHeader(std::span<const uint8_t>(at, RecordHeaderSize));
    const size_t size = static_cast<size_t>(header_.RecordSize);
    Fill(offset_, size);
    at = buffer_.data() + (offset_ - bufferStart_);
    next_ = offset_ + header_.RecordSize;
    ++records_;

    ApplyRecordHeader(header_, settings, played);
    body_ = DecodeRecordBody(header_, std::span<const uint8_t>(at, size), link.Reply);
    replyType_ = link.Reply.bytes[1];
    ApplyRecordBody(body_, replyType_, settings, played);

    // The expectation playback sets before the pipeline checks the reply.
    link.Expected.ReplyType = replyType_;
    link.Expected.ExpectedReplyLength = header_.ReplyLength;
    link.Expected.RecordSizeCode = header_.SizeCode;
    if (replyType_ == ReplyTypeSector)
        link.Expected.SamplesPerLine =
            (settings.DataBits == 16 || settings.GridMode == Polar) ? 250 : 499;
    else if (replyType_ == ReplyTypePolar)
        link.Expected.SamplesPerLine = 250;
    accepted_ = CheckAndDecodeReply(link);
    return true;
}

void KsdShotWalk::OnOrientationReply() {
    ApplyOrientationReply(orientation, link.Orientation, settings);
    orientationSeen_ = true;
}

}  // namespace tarvisk
