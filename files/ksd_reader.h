#pragma once
// Reading a .KSD file: whole records at an offset, the searches for the record magic that
// find the next whole record past a damaged stretch (in bounded pieces, so that a window
// never waits on gigabytes of damage), and the walk that finds where the whole records end.

#include <cstdint>
#include <string>

#include "files/ksd_record.h"

namespace tarvisk {

// Where, inside the bytes of one record, whole records begin that end exactly where the record
// ends: the record was cut short and the recording went on, so its stated length hides them.
// The offset (from the record's start) of the earliest, or 0 when there is none.
size_t HiddenRecordStart(std::span<const uint8_t> record);

// The first offset in [from, to) of bytes that start a whole record (a header that checks, and
// a record that ends within fileBytes, the bytes of the file from bytes[0] on); 0 when none.
// Only offsets whose header lies inside `bytes` are looked at.
size_t FirstWholeRecordIn(std::span<const uint8_t> bytes, size_t from, size_t to,
                          int64_t fileBytes);

// What a checked read found at an offset.
enum class RecordRead {
    Whole,
    NotARecord,  // a short or unplayable header, or a body past the end of the file
    CutShort,    // it reads whole, but a record begins inside it: it is damage up to there
};

// One bounded piece of a search for a whole record.
struct RecordSearch {
    bool done = false;   // a record was found, or nothing is left to look at
    int64_t found = -1;  // the record's offset when one was found
    int64_t next = 0;    // where the search goes on while not done
};

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

    // ReadRecord, and a check that the record is what it claims: one whose stated length hides
    // whole records, or runs over the start of one while the bytes after it are no record, was
    // cut short; cutAt is then where the record after it begins.
    RecordRead ReadCheckedRecord(int64_t offset, RecordBytes& out, RecordHeader& header,
                                 int64_t& cutAt) const;

    // The offset of the first playable record header at or after offset, or Size() when none
    // follows. A "KSD" inside echo data is passed over because its header does not check.
    int64_t FindRecordStart(int64_t offset) const;

    // A whole record: a header that checks and a body that fits in the file. Its size in
    // *size when given.
    bool IsWholeRecordAt(int64_t offset, int32_t* size = nullptr) const;

    // How many bytes one search piece looks at: a few milliseconds of reading.
    static constexpr int64_t SearchPiece = 1 << 20;
    // The first whole record at or after `from`, looking at no more than `budget` bytes.
    RecordSearch SearchForward(int64_t from, int64_t budget = SearchPiece) const;
    // The nearest whole record that starts before `before` and ends at or before `endLimit`,
    // looking at no more than `budget` bytes back.
    RecordSearch SearchBackward(int64_t before, int64_t endLimit,
                                int64_t budget = SearchPiece) const;
    // The same searches to their end: Size() / -1 when there is none.
    int64_t NextWholeRecord(int64_t from) const;
    int64_t PreviousWholeRecord(int64_t before, int64_t endLimit) const;

    // The end of the last whole record of the unbroken chain from the start of the file:
    // where a torn or damaged tail begins (Size() when there is none). Walked once, then kept.
    int64_t WholeRecordsEnd();

  private:
    int fd_ = -1;
    int64_t size_ = 0;
    int64_t wholeEnd_ = -1;
};

}  // namespace tarvisk
