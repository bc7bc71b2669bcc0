#include "files/ksd_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace tarvisk {

RecordReader::~RecordReader() {
    Close();
}

bool RecordReader::Open(const std::string& path) {
    Close();
    // Non-blocking, so that a FIFO named like a data file is refused instead of waiting for a
    // writer forever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = st.st_size;
    wholeEnd_ = -1;
    return true;
}

void RecordReader::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
    wholeEnd_ = -1;
}

bool RecordReader::IsFile(const std::string& path) const {
    struct stat a {};
    struct stat b {};
    if (fd_ < 0 || ::fstat(fd_, &a) != 0 || ::stat(path.c_str(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

size_t RecordReader::ReadAt(int64_t offset, uint8_t* out, size_t count) const {
    if (fd_ < 0 || offset < 0)
        return 0;
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return done;
}

bool RecordReader::ReadRecord(int64_t offset, RecordBytes& out, RecordHeader& header) const {
    if (ReadAt(offset, out.data(), RecordHeaderSize) < RecordHeaderSize)
        return false;
    std::span<const uint8_t> head(out.data(), RecordHeaderSize);
    if (CheckRecordHeader(head) != HeaderCheck::Ok)
        return false;
    header = DecodeRecordHeader(head);
    const size_t body = static_cast<size_t>(header.RecordSize) - RecordHeaderSize;
    return ReadAt(offset + static_cast<int64_t>(RecordHeaderSize), out.data() + RecordHeaderSize,
                  body) == body;
}

size_t HiddenRecordStart(std::span<const uint8_t> record) {
    size_t end = record.size();
    size_t earliest = 0;
    for (;;) {
        size_t found = 0;
        for (int32_t code = 0; code < RecordSizeCodeCount && !found; ++code) {
            for (const bool gps : {false, true}) {
                const size_t size = static_cast<size_t>(RecordSizeFor(code, gps));
                if (size >= end)
                    continue;
                const size_t at = end - size;
                const uint8_t* p = record.data() + at;
                if (p[0] == 'K' && p[1] == 'S' && p[2] == 'D' &&
                    CheckRecordHeader(record.subspan(at, RecordHeaderSize)) == HeaderCheck::Ok &&
                    static_cast<size_t>(ReadBigEndian16(p + 4)) == size) {
                    found = at;
                    break;
                }
            }
        }
        // A record hidden in front of the one just found ends where that one starts.
        if (!found)
            return earliest;
        earliest = end = found;
    }
}

size_t FirstWholeRecordIn(std::span<const uint8_t> bytes, size_t from, size_t to,
                          int64_t fileBytes) {
    if (bytes.size() < RecordHeaderSize)
        return 0;
    to = std::min(to, bytes.size() - RecordHeaderSize + 1);
    for (size_t i = from; i < to; ++i) {
        const void* k = std::memchr(bytes.data() + i, 'K', to - i);
        if (!k)
            return 0;
        i = static_cast<size_t>(static_cast<const uint8_t*>(k) - bytes.data());
        const uint8_t* p = bytes.data() + i;
        if (p[1] == 'S' && p[2] == 'D' &&
            CheckRecordHeader(bytes.subspan(i, RecordHeaderSize)) == HeaderCheck::Ok &&
            static_cast<int64_t>(i) + ReadBigEndian16(p + 4) <= fileBytes)
            return i;
    }
    return 0;
}

RecordRead RecordReader::ReadCheckedRecord(int64_t offset, RecordBytes& out, RecordHeader& header,
                                           int64_t& cutAt) const {
    if (!ReadRecord(offset, out, header))
        return RecordRead::NotARecord;
    const size_t size = static_cast<size_t>(header.RecordSize);
    if (const size_t hidden = HiddenRecordStart(std::span<const uint8_t>(out.data(), size))) {
        cutAt = offset + static_cast<int64_t>(hidden);
        return RecordRead::CutShort;
    }
    const int64_t end = offset + static_cast<int64_t>(size);
    if (end < size_ && !IsWholeRecordAt(end)) {
        // Damage after a whole record, or a record cut short by the next one.
        const RecordSearch inside = SearchForward(offset + 1, static_cast<int64_t>(size) - 1);
        if (inside.found > offset) {
            cutAt = inside.found;
            return RecordRead::CutShort;
        }
    }
    return RecordRead::Whole;
}

int64_t RecordReader::FindRecordStart(int64_t offset) const {
    if (offset < 0)
        offset = 0;
    std::array<uint8_t, 4096 + 2> chunk;
    std::array<uint8_t, RecordHeaderSize> header;
    for (int64_t base = offset; base < size_; base += 4096) {
        size_t got = ReadAt(base, chunk.data(), chunk.size());
        if (got < 3)
            break;
        for (size_t i = 0; i + 3 <= got && i < 4096; ++i) {
            if (chunk[i] != 'K' || chunk[i + 1] != 'S' || chunk[i + 2] != 'D')
                continue;
            int64_t at = base + static_cast<int64_t>(i);
            if (ReadAt(at, header.data(), header.size()) == header.size() &&
                CheckRecordHeader(header) == HeaderCheck::Ok)
                return at;
        }
    }
    return size_;
}

namespace {
constexpr size_t ScanChunk = 64 * 1024;
}

bool RecordReader::IsWholeRecordAt(int64_t offset, int32_t* size) const {
    std::array<uint8_t, RecordHeaderSize> header;
    if (offset < 0 || ReadAt(offset, header.data(), header.size()) != header.size() ||
        CheckRecordHeader(header) != HeaderCheck::Ok)
        return false;
    const int32_t recordSize = ReadBigEndian16(&header[4]);
    if (offset + recordSize > size_)
        return false;
    if (size)
        *size = recordSize;
    return true;
}

RecordSearch RecordReader::SearchForward(int64_t from, int64_t budget) const {
    RecordSearch r;
    from = std::max<int64_t>(from, 0);
    // No header fits after this.
    const int64_t last = size_ - static_cast<int64_t>(RecordHeaderSize);
    const int64_t stop = std::min(last + 1, from + std::max<int64_t>(budget, 1));
    std::array<uint8_t, ScanChunk + 2> chunk;
    int64_t base = from;
    while (base < stop) {
        const size_t positions = static_cast<size_t>(std::min<int64_t>(ScanChunk, stop - base));
        const size_t got = ReadAt(base, chunk.data(), positions + 2);
        if (got < 3)
            break;
        const size_t scan = std::min(positions, got - 2);
        for (size_t i = 0; i < scan; ++i) {
            const void* k = std::memchr(chunk.data() + i, 'K', scan - i);
            if (!k)
                break;
            i = static_cast<size_t>(static_cast<const uint8_t*>(k) - chunk.data());
            if (chunk[i + 1] == 'S' && chunk[i + 2] == 'D' &&
                IsWholeRecordAt(base + static_cast<int64_t>(i))) {
                r.done = true;
                r.found = base + static_cast<int64_t>(i);
                return r;
            }
        }
        base += static_cast<int64_t>(positions);
    }
    r.done = base > last;
    r.next = base;
    return r;
}

RecordSearch RecordReader::SearchBackward(int64_t before, int64_t endLimit, int64_t budget) const {
    RecordSearch r;
    before = std::min(before, size_ - static_cast<int64_t>(RecordHeaderSize) + 1);
    const int64_t low = std::max<int64_t>(0, before - std::max<int64_t>(budget, 1));
    std::array<uint8_t, ScanChunk + 2> chunk;
    int64_t high = before;
    while (high > low) {
        const int64_t lo = std::max(low, high - static_cast<int64_t>(ScanChunk));
        const size_t positions = static_cast<size_t>(high - lo);
        const size_t got = ReadAt(lo, chunk.data(), positions + 2);
        const size_t scan = got < 3 ? 0 : std::min(positions, got - 2);
        for (size_t i = scan; i-- > 0;) {
            const void* k = ::memrchr(chunk.data(), 'K', i + 1);
            if (!k)
                break;
            i = static_cast<size_t>(static_cast<const uint8_t*>(k) - chunk.data());
            int32_t recordSize = 0;
            const int64_t at = lo + static_cast<int64_t>(i);
            if (chunk[i + 1] == 'S' && chunk[i + 2] == 'D' && IsWholeRecordAt(at, &recordSize) &&
                at + recordSize <= endLimit) {
                r.done = true;
                r.found = at;
                return r;
            }
        }
        high = lo;
    }
    r.done = high <= 0;
    r.next = high;
    return r;
}

int64_t RecordReader::NextWholeRecord(int64_t from) const {
    for (;;) {
        const RecordSearch r = SearchForward(from);
        if (r.done)
            return r.found >= 0 ? r.found : size_;
        from = r.next;
    }
}

int64_t RecordReader::PreviousWholeRecord(int64_t before, int64_t endLimit) const {
    for (;;) {
        const RecordSearch r = SearchBackward(before, endLimit);
        if (r.done)
            return r.found;
        before = r.next;
    }
}

int64_t RecordReader::WholeRecordsEnd() {
    if (wholeEnd_ >= 0)
        return wholeEnd_;
    std::array<uint8_t, RecordHeaderSize> header;
    int64_t at = 0;
    while (ReadAt(at, header.data(), header.size()) == header.size() &&
           CheckRecordHeader(header) == HeaderCheck::Ok) {
        int64_t next = at + ReadBigEndian16(&header[4]);
        if (next > size_)
            break;
        at = next;
    }
    wholeEnd_ = at;
    return at;
}

}  // namespace tarvisk
