#pragma once
// A data file written by a thread of its own. The caller (the acquisition thread while
// recording, the window thread while copying) puts each whole record into a fixed ring and
// goes on at once; the writer thread drains the ring to the file and makes what it wrote
// durable with fdatasync at least once a second and when the file is closed. A disk that
// stalls for less than the ring holds costs nothing; records that find the ring full are
// dropped and counted. A failed or short write (a full disk gives a short write first, the
// error only with the next one) cuts the file back to its last whole record and stops.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>

namespace tarvisk {

// What became of the records given to a writer, for the operator.
struct WriterReport {
    int64_t recordsWritten = 0;  // in the file as whole records
    int64_t bytesWritten = 0;
    int64_t recordsDropped = 0;  // found the ring full
    int64_t recordsPending = 0;  // still in the ring when the close gave up waiting
    bool failed = false;         // a write error stopped the file
    bool stalled = false;        // the close did not wait for the writer to finish
    int64_t NotWritten() const { return recordsDropped + recordsPending; }
};

class RecordWriter {
  public:
    // 4 MiB hold well over a minute of the fastest recording (small records at the highest
    // shot rate of the serial line come to under 40 kB a second).
    static constexpr size_t DefaultRingBytes = 4 * 1024 * 1024;
    static constexpr std::chrono::milliseconds DefaultCloseWait{3000};
    static constexpr std::chrono::milliseconds SyncInterval{800};

    explicit RecordWriter(size_t ringBytes = DefaultRingBytes);
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;
    ~RecordWriter();

    // Creates or replaces the file and starts the writer thread. False (and closed) when it
    // cannot be created; a path that exists but is not a regular file is refused before it is
    // opened, with FailureText() saying so.
    bool Open(const std::string& path);
    // Takes over a descriptor that is already open (a pipe in a test, say).
    bool OpenDescriptor(int fd, const std::string& name);

    // Stops taking records; the writer finishes the ring, syncs and closes. The two halves
    // let a caller stop taking records under its lock and wait outside it.
    void BeginClose();
    // Waits at most `wait` for the writer; a writer stuck on its storage is left to finish
    // on its own, and the report says how many records had not reached the file.
    WriterReport FinishClose(std::chrono::milliseconds wait = DefaultCloseWait);
    WriterReport Close(std::chrono::milliseconds wait = DefaultCloseWait);

    // Open and taking records (false once closing began or the writer failed).
    bool IsOpen() const { return accepting_ && !Failed(); }
    bool Failed() const;

    // Queues one whole record; never waits. False when it was dropped (ring full) or the
    // file is not taking records.
    bool Write(std::span<const uint8_t> record);

    // Bytes and records queued since Open (the title's figure), and those dropped.
    int64_t BytesWritten() const { return queuedBytes_.load(std::memory_order_relaxed); }
    int64_t RecordsWritten() const { return queuedRecords_.load(std::memory_order_relaxed); }
    int64_t RecordsDropped() const;
    // Bytes the last fdatasync made durable, and how many syncs there have been.
    int64_t DurableBytes() const;
    int64_t SyncCount() const;
    // The size of the last record queued, for the next back-link; 0 after Open.
    int32_t PreviousRecordSize() const { return previousSize_; }
    void SetPreviousRecordSize(int32_t size) { previousSize_ = size; }
    const std::string& Path() const { return path_; }
    // After Failed(): what happened and how much was kept. After a refused Open: why.
    std::string_view FailureText() const;

    // Called on the writer thread after each sync with the bytes now durable (tests).
    void SetSyncObserver(std::function<void(int64_t)> observer) { syncObserver_ = observer; }

    struct Shared;  // the ring and the writer's state; outlives a writer left stalled

  private:
    bool Start(int fd, const std::string& path);

    size_t ringBytes_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    std::atomic<bool> accepting_{false};
    std::atomic<int64_t> queuedBytes_{0};
    std::atomic<int64_t> queuedRecords_{0};
    int32_t previousSize_ = 0;
    std::string path_;
    std::array<char, 512> openFailure_{};
    std::function<void(int64_t)> syncObserver_;
};

// The extension rule of the sonar file dialogs: the first three characters after the last
// point, in any letter case, are "ksd".
bool HasSonarFileExtension(std::string_view path);
// Empty when path is missing or a regular file; otherwise the operator's message saying it
// is not a data file (a FIFO, a device or a folder would block or fail on open).
std::string NonRegularFileText(const std::string& path);

}  // namespace tarvisk
