#pragma once
// Reading a .KSD file: whole records at an offset, the forward search for the record magic,
// and the walk over the records that finds where the whole records end.

#include <cstdint>
#include <string>

#include "files/ksd_record.h"

namespace tarvisk {

class RecordReader {
  public:
    RecordReader() = default;
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;
    ~RecordReader();

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int64_t Size() const { return size_; }
    // Whether this path names the open file (device and inode).
    bool IsFile(const std::string& path) const;

    // Reads up to count bytes at offset; returns the number read (short at the end of file).
    size_t ReadAt(int64_t offset, uint8_t* out, size_t count) const;

    // Reads the whole record at offset into out. False when the header is short or not
    // playable, or the body is short: all of these end playback as the end of the file does.
    bool ReadRecord(int64_t offset, RecordBytes& out, RecordHeader& header) const;

    // The offset of the first playable record header at or after offset, or Size() when none
    // follows. A "KSD" inside echo data is passed over because its header does not check.
    int64_t FindRecordStart(int64_t offset) const;

    // The end of the last whole record of the unbroken chain from the start of the file:
    // where a torn or damaged tail begins (Size() when there is none). Walked once, then kept.
    int64_t WholeRecordsEnd();

  private:
    int fd_ = -1;
    int64_t size_ = 0;
    int64_t wholeEnd_ = -1;
};

}  // namespace tarvisk
