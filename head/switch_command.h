#pragma once
// The 27-byte frame that starts every exchange on the head line, and its five builders.
// All builders write into the one command buffer the link holds; bytes a builder does not
// name keep what the previous command left there.

#include <array>
#include <cstdint>

#include "settings/sonar_settings.h"

namespace tarvisk {

using SwitchCommand = std::array<uint8_t, 27>;

inline constexpr uint8_t CommandStart1 = 0xFE;
inline constexpr uint8_t CommandStart2 = 0x44;
inline constexpr uint8_t CommandEnd = 0xFD;

// Device IDs on the shared line.
inline constexpr int32_t OrientationModuleId = 0x18;
inline constexpr int32_t AzimuthDriveId = 0x1F;
inline constexpr int32_t FirstHeadId = 16;
inline constexpr int32_t LastHeadId = 31;

struct HeadLink;
class CommandLine;

// Byte 11: train angle in 3-degree units, 60 straight ahead. `limit` applies the rule that a
// code of 120 or more is sent as 0 (the head-scan command sends the code unlimited).
int32_t TrainCode(int32_t train, int32_t xdcr, bool limit = true);

// Byte 12 of the normal command; the sector pad widens the sector while an automated scan
// runs, as long as that stays below a full circle.
int32_t SectorCode(int32_t sectorSize, int32_t speed, bool autoScanActive);

// The extra degrees an automated scan adds to the sector: 3 up to Fast, 6 Faster, 9 Fastest.
int32_t SectorPadForSpeed(int32_t speed);

// Byte 13: 0 without a sector (side scan), else Speed + 1, but 8 for Fastest.
int32_t StepCode(int32_t sectorSize, int32_t speed);

// Byte 15: profile minimum range in 0.1 m, 0..250.
int32_t ProfileRangeCode(float profileMinimumRange, int32_t units);

// Byte 21: the line speed code for a baud index; -1 for an index that keeps the last code.
int32_t BaudCodeForIndex(int32_t baudIndex);

// Byte 24 of the normal command: switch delay, +2 at 1 m, limited to 500, halved.
int32_t SwitchDelayCode(int32_t switchDelay, int32_t rangeMeters);

// Byte 25: (Frequency - 675) / 5 + 100, low 8 bits.
int32_t FrequencyCode(int32_t frequency);

// Normal head command for sector, polar, side-scan and profile shots. Resets RangeOffset and
// consumes CalibrateRequest and OneShotRequest.
void BuildNormalCommand(HeadLink& link);

// Head-scan command (Scan For Connected Heads): addressed to the scan ID, no stepping, and
// carrying a pending head-ID change or nv_ram write, each consumed by this one command.
// Counts the commands built for the scan.
void BuildHeadScanCommand(HeadLink& link);

// Azimuth drive command: AzimuthAngle in bytes 11 and 12.
void BuildAzimuthCommand(HeadLink& link);

// Orientation module request.
void BuildOrientationCommand(HeadLink& link);

// Automated scans: the buffer as last built, turned into a single step to `trainCode`.
void BuildScanStepCommand(SwitchCommand& command, uint8_t trainCode);

// One send: clears ParametersChanged, picks the target (the head, or once per clock second
// the orientation module between head shots), sets the expected reply, runs the builder that
// fits and hands the frame to `line`.
void SendSwitchCommand(HeadLink& link, CommandLine& line);

// Automated scans: the last built command as one step to `trainCode`, sent without a builder.
void SendScanStepCommand(HeadLink& link, CommandLine& line, uint8_t trainCode);

}  // namespace tarvisk
