#pragma once
// Copying played records to a new data file. Only forward steps are copied; each record goes
// out whole, with the profile range the pipeline filled in and a back-link that fits the copy,
// so the copy plays backwards like a recording. The writer thread takes the disk's time.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "files/file_ui.h"
#include "files/ksd_record.h"
#include "files/record_writer.h"

namespace tarvisk {

class Copier {
  public:
    explicit Copier(FileUi& ui) : ui_(ui) {}

    bool Start(const std::string& path);
    WriterReport Stop() {
        copying_ = false;
        return writer_.Close();
    }
    // Until Stop, or until a write failure has been told.
    bool IsCopying() const { return copying_; }
    const std::string& Path() const { return writer_.Path(); }
    int64_t BytesCopied() const { return writer_.BytesWritten(); }
    RecordWriter& Writer() { return writer_; }

    // Copies one played record (S bytes in record); reply holds the reply after the pipeline.
    // playbackTitle is what the title returns to when a write failure stops the copy.
    void CopyRecord(RecordBytes& record, int32_t size, const ReplyBuffer& reply,
                    std::string_view playbackTitle);
    // Tells a write failure of the writer thread (the window polls this between steps).
    void CheckWriter(std::string_view playbackTitle);

  private:
    FileUi& ui_;
    RecordWriter writer_;
    bool copying_ = false;
    int64_t lastShownKb_ = 0;
    int64_t lastShownDropped_ = 0;
    std::chrono::steady_clock::time_point lastStatus_{};
    std::array<char, 128> status_{};
    std::array<char, 400> title_{};
    std::string titlePath_;  // titles show the path in lower case
};

}  // namespace tarvisk
