#include "files/ksd_info.h"

#include "files/ksd_reader.h"

namespace tarvisk {

namespace {
// Why the bytes at offset are not a whole record.
std::string NotARecordReason(const RecordReader& reader, int64_t at, RecordBytes& scratch) {
    const size_t got = reader.ReadAt(at, scratch.data(), RecordHeaderSize);
    if (got < RecordHeaderSize)
        return "header cut short";
    const HeaderCheck check = CheckRecordHeader(std::span<const uint8_t>(scratch.data(), got));
    if (check != HeaderCheck::Ok)
        return std::string(HeaderCheckText(check));
    return "record cut short";
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
    RecordBytes record{};
    int64_t at = 0;
    int64_t lastStart = -1;
    int32_t previous = 0;  // -1: the record before is not known (damage)
    bool lastLinkBroken = false;
    std::vector<int64_t> recordsBefore;
    while (at < s.FileSize) {
        RecordHeader header;
        if (!reader.ReadRecord(at, record, header)) {
            // From just after the last record's start: a record cut short hides the start of
            // the one after it inside its own length.
            const int64_t next = reader.NextWholeRecord(lastStart >= 0 ? lastStart + 1 : at + 1);
            if (next >= s.FileSize) {
                s.TailReason = NotARecordReason(reader, at, record);
                break;
            }
            DamagedStretch d;
            d.Reason = NotARecordReason(reader, at, record);
            if (next < at) {  // the last record counted was cut short by this one
                --s.Records;
                s.BrokenBackLinks -= lastLinkBroken ? 1 : 0;
                d.Offset = lastStart;
                d.Reason = "record cut short by the next";
            } else {
                d.Offset = at;
            }
            d.Length = next - d.Offset;
            recordsBefore.push_back(s.Records);
            s.Damaged.push_back(d);
            previous = -1;
            at = next;
            continue;
        }
        const int32_t size = header.RecordSize;
        const int32_t link = ReadBigEndian16(record.data() + size - 2);
        if (s.Records == 0)
            s.ReverseAvailable = link != 0;
        lastLinkBroken = link != 0 && previous >= 0 && link != ((size + previous) & 0xFFFF);
        if (lastLinkBroken)
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
        lastStart = at;
        at += size;
        if (progress)
            progress(at, s.FileSize);
    }
    s.WholeEnd = at;
    for (size_t i = 0; i < s.Damaged.size(); ++i)
        s.Damaged[i].RecordsAfter = s.Records - recordsBefore[i];
    return s;
}

}  // namespace tarvisk
