#pragma once
// A fast forward walk over the records of a .KSD file for the exports: big buffered reads
// instead of two reads per record, the playback rules for what each record restores, the
// reply decoded into a link as the pipeline decodes it, and the orientation module's replies
// run through its filter as they were live. Damaged stretches are passed over to the next
// whole record with the reader's own search, as playback does.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/ksd_reader.h"
#include "files/ksd_record.h"
#include "head/head_link.h"
#include "head/orientation_module.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class KsdShotWalk : private LinkHooks {
  public:
    KsdShotWalk();
    ~KsdShotWalk() override;
    KsdShotWalk(const KsdShotWalk&) = delete;
    KsdShotWalk& operator=(const KsdShotWalk&) = delete;

    // False with a message when the file cannot be read or is no sonar data file.
    bool Open(const std::string& path, std::string* error);

    // Steps to the next whole record and applies it; false at the end of the whole records.
    bool Next();

    // The record just applied.
    int64_t Offset() const { return offset_; }
    int64_t RecordNumber() const { return records_; }  // 1-based over the whole records
    const RecordHeader& Header() const { return header_; }
    const RecordBody& Body() const { return body_; }
    uint8_t ReplyType() const { return replyType_; }
    // The reply passed the frame check (and a head shot was decoded into link.Shot).
    bool Accepted() const { return accepted_; }
    // A sonar head shot (G, M or P reply) that the check accepted: what the picture draws.
    bool IsHeadShot() const;
    // The orientation module has answered at least once before or in this record.
    bool OrientationSeen() const { return orientationSeen_; }
    int64_t DamagedStretches() const { return damaged_; }
    int64_t FileSize() const { return reader_.Size(); }

    SonarSettings settings;
    HeadLink link{settings};
    PlayedRecordState played;
    OrientationModule orientation;

  private:
    void OnOrientationReply() override;
    // Makes [offset, offset + count) available in the buffer; false when the file ends first.
    bool Fill(int64_t offset, size_t count);

    RecordReader reader_;
    std::vector<uint8_t> buffer_;
    int64_t bufferStart_ = 0;
    size_t bufferLength_ = 0;
    int64_t next_ = 0;
    int64_t offset_ = 0;
    int64_t records_ = 0;
    int64_t damaged_ = 0;
    RecordHeader header_{};
    RecordBody body_{};
    uint8_t replyType_ = 0;
    bool accepted_ = false;
    bool orientationSeen_ = false;
};

}  // namespace tarvisk
