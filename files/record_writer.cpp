#include "files/record_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/named_file.h"

namespace tarvisk {

struct RecordWriter::Shared {
    explicit Shared(size_t bytes) : ring(new uint8_t[bytes]), capacity(bytes) {}
    std::unique_ptr<uint8_t[]> ring;
    const size_t capacity;
    // Stream offsets: the caller advances head past whole records, the writer advances tail
    // past what reached the file. Bytes in [tail, head) belong to the writer.
    std::atomic<uint64_t> head{0};
    std::atomic<uint64_t> tail{0};
    int fd = -1;
    std::string path;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<bool> failed{false};
    std::atomic<int64_t> dropped{0};
    std::atomic<int64_t> wholeBytes{0};  // whole records in the file
    std::atomic<int64_t> wholeRecords{0};
    std::atomic<int64_t> durable{0};
    std::atomic<int64_t> syncs{0};
    std::array<char, 512> failure{};
    std::function<void(int64_t)> observer;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
};

namespace {

constexpr std::chrono::milliseconds WriterPoll{50};

// Only our own records pass through the ring; their size is in header bytes 4 and 5.
uint64_t RecordSizeAt(const RecordWriter::Shared& s, uint64_t at, uint64_t head) {
    const uint64_t size =
        (uint64_t(s.ring[(at + 4) % s.capacity]) << 8) | s.ring[(at + 5) % s.capacity];
    return size < 6 || at + size > head ? head - at : size;
}

void Fail(RecordWriter::Shared& s, int error, uint64_t fileBytes) {
    const int64_t whole = s.wholeBytes.load(std::memory_order_relaxed);
    // Keep only whole records: a reader must never meet a torn one in the middle of a file.
    bool cut = fileBytes == static_cast<uint64_t>(whole) ||
               ::ftruncate(s.fd, static_cast<off_t>(whole)) == 0;
    (void)::fdatasync(s.fd);
    ::close(s.fd);
    s.fd = -1;
    std::snprintf(s.failure.data(), s.failure.size(),
                  "Writing to %s failed: %s.\n%s%lld records (%lld kB) were kept.", s.path.c_str(),
                  std::strerror(error), cut ? "" : "The last record may be incomplete. ",
                  static_cast<long long>(s.wholeRecords.load(std::memory_order_relaxed)),
                  static_cast<long long>(whole / 1024));
    s.failed.store(true, std::memory_order_release);
}

// A pipe or a file system without sync support has nothing more to make durable.
bool SyncFails(int fd, int* error) {
    if (::fdatasync(fd) == 0 || errno == EINVAL || errno == EROFS)
        return false;
    *error = errno;
    return true;
}

void RunWriter(std::shared_ptr<RecordWriter::Shared> shared) {
    RecordWriter::Shared& s = *shared;
    uint64_t tail = 0;
    uint64_t boundary = 0;   // end of the last whole record that reached the file
    uint64_t recordEnd = 0;  // end of the record after boundary, once known
    bool unsynced = false;
    auto lastSync = std::chrono::steady_clock::now();
    for (;;) {
        const bool stopping = s.stop.load(std::memory_order_acquire);
        const uint64_t head = s.head.load(std::memory_order_acquire);
        if (head != tail) {
            const size_t at = tail % s.capacity;
            const size_t count = head - tail;
            const size_t first = std::min(count, s.capacity - at);
            iovec parts[2] = {{s.ring.get() + at, first}, {s.ring.get(), count - first}};
            const ssize_t n = ::writev(s.fd, parts, count > first ? 2 : 1);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                Fail(s, n < 0 ? errno : ENOSPC, tail);
                break;
            }
            const uint64_t newTail = tail + static_cast<uint64_t>(n);
            // Find the record ends while their bytes still belong to the writer.
            for (;;) {
                if (recordEnd == 0) {
                    if (boundary >= head)
                        break;
                    recordEnd = boundary + RecordSizeAt(s, boundary, head);
                }
                if (recordEnd > newTail)
                    break;
                boundary = recordEnd;
                recordEnd = 0;
                s.wholeRecords.fetch_add(1, std::memory_order_relaxed);
            }
            s.wholeBytes.store(static_cast<int64_t>(boundary), std::memory_order_relaxed);
            tail = newTail;
            s.tail.store(tail, std::memory_order_release);
            unsynced = true;
        }
        const bool caughtUp = tail == s.head.load(std::memory_order_acquire);
        const auto now = std::chrono::steady_clock::now();
        if (unsynced && ((stopping && caughtUp) || now - lastSync >= RecordWriter::SyncInterval)) {
            int error = 0;
            if (SyncFails(s.fd, &error)) {
                Fail(s, error, tail);
                break;
            }
            lastSync = now;
            unsynced = false;
            s.durable.store(static_cast<int64_t>(boundary), std::memory_order_release);
            s.syncs.fetch_add(1, std::memory_order_release);
            if (s.observer)
                s.observer(static_cast<int64_t>(boundary));
        }
        if (stopping && caughtUp && !unsynced)
            break;
        if (caughtUp && !stopping) {
            std::unique_lock<std::mutex> lock(s.mutex);
            s.wake.wait_for(lock, WriterPoll, [&] { return s.stop.load(); });
        }
    }
    if (s.fd >= 0)
        ::close(s.fd);
    s.fd = -1;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.done.store(true, std::memory_order_release);
    }
    s.finished.notify_all();
}

}  // namespace

RecordWriter::RecordWriter(size_t ringBytes) : ringBytes_(ringBytes) {}

RecordWriter::~RecordWriter() {
    Close();
}

bool RecordWriter::Open(const std::string& path) {
    Close();
    openFailure_[0] = '\0';
    path_ = path;
    if (const std::string text = NonRegularFileText(path); !text.empty()) {
        std::snprintf(openFailure_.data(), openFailure_.size(), "%s", text.c_str());
        return false;
    }
    // Non-blocking, so that a FIFO put there since the check cannot hang the window.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return Start(fd, path);
}

bool RecordWriter::OpenDescriptor(int fd, const std::string& name) {
    Close();
    openFailure_[0] = '\0';
    path_ = name;
    return fd >= 0 && Start(fd, name);
}

bool RecordWriter::Start(int fd, const std::string& path) {
    shared_ = std::make_shared<Shared>(ringBytes_);
    shared_->fd = fd;
    shared_->path = path;
    shared_->observer = syncObserver_;
    queuedBytes_ = 0;
    queuedRecords_ = 0;
    previousSize_ = 0;
    thread_ = std::thread(RunWriter, shared_);
    accepting_ = true;
    return true;
}

void RecordWriter::BeginClose() {
    accepting_ = false;
    if (!shared_ || shared_->stop.load())
        return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop.store(true, std::memory_order_release);
    }
    shared_->wake.notify_all();
}

WriterReport RecordWriter::FinishClose(std::chrono::milliseconds wait) {
    WriterReport report;
    if (!shared_)
        return report;
    BeginClose();
    Shared& s = *shared_;
    bool done = s.done.load();
    if (thread_.joinable()) {
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            done = s.finished.wait_for(lock, wait, [&] { return s.done.load(); });
        }
        if (done)
            thread_.join();
        else
            thread_.detach();  // it owns its share of the state and ends when storage answers
    }
    report.recordsWritten = s.wholeRecords.load();
    report.bytesWritten = s.wholeBytes.load();
    report.recordsDropped = s.dropped.load();
    report.recordsPending = RecordsWritten() - report.recordsWritten;
    report.failed = s.failed.load();
    report.stalled = !done;
    return report;
}

WriterReport RecordWriter::Close(std::chrono::milliseconds wait) {
    BeginClose();
    return FinishClose(wait);
}

bool RecordWriter::Failed() const {
    return shared_ && shared_->failed.load(std::memory_order_acquire);
}

bool RecordWriter::Write(std::span<const uint8_t> record) {
    if (!accepting_.load(std::memory_order_relaxed) || !shared_)
        return false;
    Shared& s = *shared_;
    if (s.failed.load(std::memory_order_relaxed))
        return false;
    const size_t size = record.size();
    const uint64_t head = s.head.load(std::memory_order_relaxed);
    const uint64_t tail = s.tail.load(std::memory_order_acquire);
    if (size == 0 || s.capacity - (head - tail) < size) {
        s.dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    const size_t at = head % s.capacity;
    const size_t first = std::min(size, s.capacity - at);
    std::memcpy(s.ring.get() + at, record.data(), first);
    std::memcpy(s.ring.get(), record.data() + first, size - first);
    s.head.store(head + size, std::memory_order_release);
    queuedBytes_.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
    queuedRecords_.fetch_add(1, std::memory_order_relaxed);
    previousSize_ = static_cast<int32_t>(size);
    return true;
}

int64_t RecordWriter::RecordsDropped() const {
    return shared_ ? shared_->dropped.load(std::memory_order_relaxed) : 0;
}

int64_t RecordWriter::DurableBytes() const {
    return shared_ ? shared_->durable.load(std::memory_order_acquire) : 0;
}

int64_t RecordWriter::SyncCount() const {
    return shared_ ? shared_->syncs.load(std::memory_order_acquire) : 0;
}

std::string_view RecordWriter::FailureText() const {
    if (Failed())
        return shared_->failure.data();
    return openFailure_.data();
}

bool HasSonarFileExtension(std::string_view path) {
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.size() - dot - 1 < 3)
        return false;
    std::string ext(path.substr(dot + 1, 3));
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "ksd";
}

std::string NonRegularFileText(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return path + " is " + NonRegularFileKind(st.st_mode) + ", not a sonar data file.";
}

}  // namespace tarvisk
