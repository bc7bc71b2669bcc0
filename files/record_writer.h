#pragma once
// A data file opened for writing whole records. Each record goes to the file in plain
// unbuffered writes, so a crash or power cut loses at most the record being written. A failed
// or short write (a full disk gives a short write first, the error only with the next one)
// cuts the file back to its last whole record and closes it.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvisk {

class RecordWriter {
  public:
    RecordWriter() = default;
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;
    ~RecordWriter();

    // Creates or replaces the file. False (and closed) when it cannot be created.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Writes one whole record. On failure the file is cut back to the records written before,
    // closed, and FailureText() says what happened and how much was kept.
    bool Write(std::span<const uint8_t> record);

    int64_t BytesWritten() const { return bytes_; }
    int64_t RecordsWritten() const { return records_; }
    // The size of the last record written, for the next back-link; 0 after Open.
    int32_t PreviousRecordSize() const { return previousSize_; }
    void SetPreviousRecordSize(int32_t size) { previousSize_ = size; }
    const std::string& Path() const { return path_; }
    std::string_view FailureText() const { return failure_.data(); }

  private:
    int fd_ = -1;
    std::string path_;
    int64_t bytes_ = 0;
    int64_t records_ = 0;
    int32_t previousSize_ = 0;
    std::array<char, 512> failure_{};
};

// The lower-case form of a path (titles show paths this way).
std::string LowerCasePath(std::string_view path);
// The extension rule of the sonar file dialogs: the first three characters after the last
// point, in any letter case, are "ksd".
bool HasSonarFileExtension(std::string_view path);

}  // namespace tarvisk
