#pragma once
// Scan For Connected Heads: the walk over the IDs 16..31 that the acquisition thread makes in
// place of normal shots, and how the identification block ("T" reply) is presented.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "head/head_link.h"
#include "settings/shared_value.h"

namespace tarvisk {

struct HeadScanState {
    SharedInt LastScanSecond{-1};  // ClockSecond when the scan last moved on
};

// Starts the scan (the window is shown by the caller): the first ID is tried for at least a
// whole clock second.
void StartHeadScan(HeadLink& link, HeadScanState& state);
// Stops it; the next scan begins at ID 16 again.
void StopHeadScan(HeadLink& link, SonarSettings& settings);
// Once per pass of the acquisition loop while the scan runs: on a new clock second the scan
// moves to the next ID when the current one answered or was asked at least once. Returns true
// when it moved on (the scan window's identification area is then redrawn).
bool HeadScanStep(HeadLink& link, HeadScanState& state);

inline constexpr size_t NvRamSize = 64;
using NvRam = std::array<uint8_t, NvRamSize>;
inline constexpr size_t IdentificationReplySize = 77;

// The nv_ram block of a "T" reply (bytes 12..75); a month of 0 or above 12 is replaced by 1
// in the returned block, as the presentation reads it.
NvRam NvRamFromReply(const uint8_t* reply);

// The interpreted identification fields in the window's order: "EPROM Revision",
// "Serial Number", "Sensor Type", "XDCR Type", "Depth Rating", "Gear Ratio", "Sample Rate",
// "Shot Count". Empty when nv[0] is 0 (only the raw dump is shown then).
using NamedValues = std::vector<std::pair<std::string, std::string>>;
NamedValues IdentificationFields(NvRam& nv);

// "0x%02X" of nv[i + 16 × column] for row i (0..15), labelled "nv_ram [ %d ]" with i.
std::string NvRamLabel(int32_t row);
std::string NvRamByteText(uint8_t value);

// 1234567 as "1,234,567".
std::string WithThousandsSeparators(int64_t value);

}  // namespace tarvisk
