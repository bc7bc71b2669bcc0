#include "files/ksd_info.h"

#include "files/ksd_reader.h"

namespace tarvisk {

KsdSummary SummarizeKsdFile(const std::string& path,
                            const std::function<void(int64_t, int64_t)>& progress) {
    KsdSummary s;
    RecordReader reader;
    if (!reader.Open(path))
        return s;
    s.Opened = true;
    s.FileSize = reader.Size();
    RecordBytes record{};
    int64_t at = 0;
    int32_t previous = 0;
    while (at < s.FileSize) {
        const size_t got = reader.ReadAt(at, record.data(), RecordHeaderSize);
        if (got < RecordHeaderSize) {
            s.TailReason = "header cut short";
            break;
        }
        const HeaderCheck check = CheckRecordHeader(std::span<const uint8_t>(record.data(), got));
        if (check != HeaderCheck::Ok) {
            s.TailReason = HeaderCheckText(check);
            break;
        }
        RecordHeader header;
        if (!reader.ReadRecord(at, record, header)) {
            s.TailReason = "record cut short";
            break;
        }
        const int32_t size = header.RecordSize;
        const int32_t link = ReadBigEndian16(record.data() + size - 2);
        if (s.Records == 0)
            s.ReverseAvailable = link != 0;
        if (link != 0 && link != ((size + previous) & 0xFFFF))
            ++s.BrokenBackLinks;
        previous = size;
        ++s.Records;
        ++s.SizeCodes[static_cast<size_t>(header.SizeCode)];
        ++s.ReplyTypes[record[RecordHeaderSize + 1]];
        if (header.HasGps)
            ++s.GpsRecords;
        std::string stamp = std::string(header.DateText.data()) + "  " + header.TimeText.data() +
                            header.HundredthsText.data();
        if (s.Records == 1)
            s.FirstStamp = stamp;
        s.LastStamp = std::move(stamp);
        at += size;
        if (progress)
            progress(at, s.FileSize);
    }
    s.WholeEnd = at;
    return s;
}

}  // namespace tarvisk
