#pragma once
// What a .KSD file holds, read without playing it: for the service tool and for checks.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/ksd_record.h"

namespace tarvisk {

// Bytes between whole records that are not records themselves.
struct DamagedStretch {
    int64_t Offset = 0;
    int64_t Length = 0;
    int64_t RecordsAfter = 0;  // whole records in the rest of the file
    std::string Reason;
};

struct KsdSummary {
    bool Opened = false;
    int64_t FileSize = 0;
    bool StartsWithMagic = false;  // what playback asks of a file before it opens it
    int64_t Records = 0;  // whole records; the size-code and reply-type tallies add up to it
    std::array<int64_t, RecordSizeCodeCount> SizeCodes{};
    std::array<int64_t, 256> ReplyTypes{};
    int64_t GpsRecords = 0;
    std::string FirstStamp, LastStamp;    // "DD-MMM-YYYY  HH:MM:SS.hh"
    bool ReverseAvailable = false;        // the first record carries a back-link
    int64_t BrokenBackLinks = 0;          // links that do not count the record before
    int64_t WholeEnd = 0;                 // where the damaged tail starts (FileSize: none)
    std::string TailReason;               // why the tail is not a record
    std::vector<DamagedStretch> Damaged;  // in the middle of the file, in file order
};

// progress, when given, is told the bytes read so far and the file size after each record.
KsdSummary SummarizeKsdFile(const std::string& path,
                            const std::function<void(int64_t, int64_t)>& progress = {});

}  // namespace tarvisk
