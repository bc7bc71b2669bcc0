#include "files/ksd_info.h"

#include <algorithm>
#include <memory>

#include "files/ksd_reader.h"

namespace tarvisk {

namespace {

// A window over the file, read in large pieces: a survey day's file of small records is read
// at the speed of the page cache instead of two system calls per record.
class FileWindow {
  public:
    explicit FileWindow(const RecordReader& reader)
        : reader_(reader), bytes_(std::make_unique<uint8_t[]>(Capacity)) {}

    // The bytes from `at` on, at least `want` of them unless the file ends first.
    std::span<const uint8_t> At(int64_t at, size_t want) {
        if (at < base_ || at + static_cast<int64_t>(want) > base_ + static_cast<int64_t>(length_)) {
            base_ = at;
            length_ = reader_.ReadAt(at, bytes_.get(), Capacity);
            ++reads_;
        }
        const size_t from = static_cast<size_t>(at - base_);
        return {bytes_.get() + from, length_ - from};
    }
    int64_t Reads() const { return reads_; }

  private:
    static constexpr size_t Capacity = 1 << 20;
    const RecordReader& reader_;
    std::unique_ptr<uint8_t[]> bytes_;
    int64_t base_ = 0;
    size_t length_ = 0;
    int64_t reads_ = 0;
};

// A record, the header of the one after it and room to look for a record inside it.
constexpr size_t LookAhead = MaxRecordSize + 2 * RecordHeaderSize;

// Why the bytes at the start of `bytes` are not a whole record.
std::string NotARecordReason(std::span<const uint8_t> bytes) {
    if (bytes.size() < RecordHeaderSize)
        return "header cut short";
    const HeaderCheck check = CheckRecordHeader(bytes.first(RecordHeaderSize));
    if (check != HeaderCheck::Ok)
        return std::string(HeaderCheckText(check));
    return "record cut short";
}

bool StartsWholeRecord(std::span<const uint8_t> bytes, int64_t fileBytes) {
    return bytes.size() >= RecordHeaderSize &&
           CheckRecordHeader(bytes.first(RecordHeaderSize)) == HeaderCheck::Ok &&
           ReadBigEndian16(&bytes[4]) <= fileBytes;
}

std::string StampOf(const RecordReader& reader, int64_t at) {
    std::array<uint8_t, RecordHeaderSize> header{};
    reader.ReadAt(at, header.data(), header.size());
    const RecordHeader h = DecodeRecordHeader(header);
    return std::string(h.DateText.data()) + "  " + h.TimeText.data() + h.HundredthsText.data();
}

}  // namespace

KsdSummary SummarizeKsdFile(const std::string& path,
                            const std::function<void(int64_t, int64_t)>& progress) {
    KsdSummary s;
    RecordReader reader;
    if (!reader.Open(path))
        return s;
    s.Opened = true;
    s.FileSize = reader.Size();
    FileWindow window(reader);
    {
        const std::span<const uint8_t> first = window.At(0, 3);
        s.StartsWithMagic =
            first.size() >= 3 && first[0] == 'K' && first[1] == 'S' && first[2] == 'D';
    }
    int64_t at = 0;
    int64_t firstStart = -1, lastStart = -1;
    int32_t previous = 0;  // -1: the record before is not known (damage)
    int64_t reads = window.Reads();
    std::vector<int64_t> recordsBefore;
    auto noteDamage = [&](int64_t from, int64_t to, std::string reason) {
        // Damage right after damage is one stretch.
        if (!s.Damaged.empty() && s.Damaged.back().Offset + s.Damaged.back().Length == from) {
            s.Damaged.back().Length = to - s.Damaged.back().Offset;
        } else {
            s.Damaged.push_back({from, to - from, 0, std::move(reason)});
            recordsBefore.push_back(s.Records);
        }
        previous = -1;
    };
    while (at < s.FileSize) {
        const int64_t left = s.FileSize - at;
        const std::span<const uint8_t> bytes = window.At(at, LookAhead);
        if (progress && window.Reads() != reads) {
            reads = window.Reads();
            progress(at, s.FileSize);
        }
        if (!StartsWholeRecord(bytes, left)) {
            const std::string reason = NotARecordReason(bytes);
            const int64_t next = reader.NextWholeRecord(at + 1);
            if (next >= s.FileSize) {
                s.TailReason = reason;
                break;
            }
            noteDamage(at, next, reason);
            at = next;
            continue;
        }
        const int32_t size = ReadBigEndian16(&bytes[4]);
        const auto record = bytes.first(static_cast<size_t>(size));
        size_t cut = HiddenRecordStart(record);
        if (!cut && size < left && !StartsWholeRecord(bytes.subspan(record.size()), left - size))
            cut = FirstWholeRecordIn(bytes, 1, record.size(), left);
        if (cut) {
            noteDamage(at, at + static_cast<int64_t>(cut), "record cut short by the next");
            at += static_cast<int64_t>(cut);
            continue;
        }
        const int32_t link = ReadBigEndian16(record.data() + size - 2);
        if (s.Records == 0)
            s.ReverseAvailable = link != 0;
        if (link != 0 && previous >= 0 && link != ((size + previous) & 0xFFFF))
            ++s.BrokenBackLinks;
        previous = size;
        ++s.Records;
        ++s.SizeCodes[record[3]];
        ++s.ReplyTypes[record[RecordHeaderSize + 1]];
        if (record[34] & 1)
            ++s.GpsRecords;
        if (firstStart < 0)
            firstStart = at;
        lastStart = at;
        at += size;
    }
    if (progress)
        progress(at, s.FileSize);
    s.WholeEnd = at;
    if (firstStart >= 0) {
        s.FirstStamp = StampOf(reader, firstStart);
        s.LastStamp = StampOf(reader, lastStart);
    }
    for (size_t i = 0; i < s.Damaged.size(); ++i)
        s.Damaged[i].RecordsAfter = s.Records - recordsBefore[i];
    return s;
}

}  // namespace tarvisk
