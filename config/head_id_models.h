#pragma once
// The "Set New Head ID" and "Program Sonar Head" dialogs without their widgets. Both offer
// the IDs 16..31 as the items "1".."16"; "Program Sonar Head" adds the serial number and the
// depth rating that the head's non-volatile memory takes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvisk {

inline constexpr const char* SetNewHeadIdTitle = "Set New Head ID";
inline constexpr const char* ProgramHeadTitle = "Program Sonar Head";
inline constexpr const char* SerialNumberWarning = "Serial Number is out of range!\nUse 0 to 9999.";
inline constexpr const char* HeadIdWarning = "Head ID is out of range!\nUse 16 to 31.";
inline constexpr const char* DepthRatingWarning =
    "Depth Rating is out of range!\nUse 1000 or 3000 Meters.";
inline constexpr const char* DepthRatingNames[2] = {"1000 Meters", "3000 Meters"};

// Item index (0..15) preselected for a head ID, or none for an ID outside 16..31.
std::optional<int32_t> HeadIdItem(int32_t headId);
// Item label "1".."16".
std::string HeadIdItemText(int32_t item);

struct HeadIdChoice {
    bool request = false;  // an ID change goes out with the next head-scan command
    int32_t newId = 16;
};
// "Ok" of "Set New Head ID": with an item chosen the request and the new ID, else no request.
HeadIdChoice ChooseNewHeadId(std::optional<int32_t> item);

struct ProgramHeadChoice {
    HeadIdChoice id;
    int32_t serialNumber = 0;
    int32_t depthRating = 0;  // 0: 1000 m, 1: 3000 m
    bool programRequest = false;
};

// "Ok" of "Program Sonar Head". A serial number outside 0..9999 (or not a number) is refused
// with `warning` and nothing is taken, so the operator never believes a write is on its way
// that will not be sent. Without a chosen ID or depth rating nothing is programmed.
bool ChooseProgramHead(std::optional<int32_t> idItem, std::string_view serialText,
                       std::optional<int32_t> depthItem, ProgramHeadChoice& out,
                       std::string* warning);

// "%04d" of a serial number, as the field shows it.
std::string SerialNumberText(int32_t serialNumber);

}  // namespace tarvisk
