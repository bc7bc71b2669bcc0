#include "head/head_scan.h"

#include <algorithm>
#include <cstdio>

#include "head/switch_command.h"

namespace tarvisk {

namespace {

constexpr const char* ScanMonthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::string Format(const char* format, int a) {
    char text[32];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

}  // namespace

void StartHeadScan(HeadLink& link, HeadScanState& state) {
    state.LastScanSecond = link.Settings.ClockSecond.Get();
    link.HeadScanCommandCount = -1;
    link.HeadFound = 0;
    link.HeadScanActive = 1;
}

void StopHeadScan(HeadLink& link, SonarSettings& settings) {
    link.HeadScanActive = 0;
    settings.HeadScanShown = 0;
    link.ScanId = FirstHeadId;
}

bool HeadScanStep(HeadLink& link, HeadScanState& state) {
    const int32_t second = link.Settings.ClockSecond;
    if (second == state.LastScanSecond)
        return false;
    state.LastScanSecond = second;
    if (link.HeadFound.Take() != 0) {
        link.HeadScanCommandCount = 0;
    } else if (link.HeadScanCommandCount > 0) {
        link.HeadScanCommandCount = 0;
    } else {
        return false;
    }
    const int32_t next = link.ScanId + 1;
    link.ScanId = next > LastHeadId || next < FirstHeadId ? FirstHeadId : next;
    return true;
}

NvRam NvRamFromReply(const uint8_t* reply) {
    NvRam nv{};
    std::copy(reply + 12, reply + 12 + NvRamSize, nv.begin());
    return nv;
}

std::string WithThousandsSeparators(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}

NamedValues IdentificationFields(NvRam& nv) {
    NamedValues out;
    if (nv[3] == 0 || nv[3] > 12)
        nv[3] = 1;
    if (nv[0] == 0)
        return out;
    const int sensor = nv[5];
    char revision[48];
    std::snprintf(revision, sizeof revision, "%d.%02d - %02d%s%02d", nv[0], nv[1], nv[4],
                  ScanMonthNames[nv[3] - 1], nv[2]);
    out.emplace_back("EPROM Revision", revision);
    out.emplace_back("Serial Number", Format("%04d", nv[7] * 128 + (nv[6] & 0x7F)));
    const char* sensorNames[3] = {"Scanning Sonar", "Azimuth Drive", "Echo Sounder"};
    out.emplace_back("Sensor Type", sensor <= 2 ? sensorNames[sensor] : "n/a");
    const char* xdcrNames[3] = {"Imaging - (Fan Beam)", "Profiling - (Pencil Beam)",
                                "Conical Beam"};
    out.emplace_back("XDCR Type", nv[8] <= 2 && sensor != 1 ? xdcrNames[nv[8]] : "n/a");
    const char* depthNames[2] = {"1000 Meters", "3000 Meters"};
    out.emplace_back("Depth Rating", nv[10] <= 1 ? depthNames[nv[10]] : "n/a");
    const char* gearNames[3] = {"3 : 1", "6 : 1", "15 : 1"};
    out.emplace_back("Gear Ratio", nv[9] <= 2 && sensor != 2 ? gearNames[nv[9]] : "n/a");
    out.emplace_back("Sample Rate", nv[12] == 0 && sensor != 1 ? "2.666us , 13.333us" : "n/a");
    if (sensor == 1) {
        out.emplace_back("Shot Count", "n/a");
    } else {
        const int64_t raw = (int64_t{nv[16]} << 21) | (int64_t{nv[15]} << 14) |
                            (int64_t{nv[14]} << 7) | int64_t{nv[13]};
        out.emplace_back("Shot Count",
                         WithThousandsSeparators(std::min<int64_t>(raw * 100, 1000000000)));
    }
    return out;
}

std::string NvRamLabel(int32_t row) {
    return Format("nv_ram [ %d ]", row);
}

std::string NvRamByteText(uint8_t value) {
    return Format("0x%02X", value);
}

}  // namespace tarvisk
