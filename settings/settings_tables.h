#pragma once
// The fixed value tables that give the settings their meaning.

#include <array>
#include <cstdint>
#include <string_view>

namespace tarvisk {

enum DisplayMode : int32_t { Sector = 0, Polar = 1, SS = 2, Profile = 3 };
enum ProfileMode : int32_t { ProfileOff = 0, PointsOnly = 1, LowMix = 2, MedMix = 3, HighMix = 4 };
enum ScanSpeed : int32_t { Slow = 0, Med = 1, Fast = 2, Faster = 3, Fastest = 4 };
enum SideScanChannel : int32_t { PortChannel = 0, BothChannels = 1, StbdChannel = 2 };
enum TransducerPosition : int32_t { XdcrDown = 0, XdcrUp = 1 };
enum UnitsMode : int32_t { Metres = 0, Feet = 1 };

struct RangeEntry {
    int32_t meters;
    std::string_view metreLabel;
    std::string_view feetLabel;
    float scale;  // metres / 50
};

inline constexpr int32_t RangeCount = 15;
inline constexpr int32_t MinRangeIndex = 0;
inline constexpr int32_t MaxRangeIndex = 14;

inline constexpr std::array<RangeEntry, RangeCount> RangeTable{{
    {1, "1 M", "3 FT", 0.02f},
    {2, "2 M", "6 FT", 0.04f},
    {3, "3 M", "9 FT", 0.06f},
    {4, "4 M", "12 FT", 0.08f},
    {5, "5 M", "15 FT", 0.1f},
    {10, "10 M", "30 FT", 0.2f},
    {20, "20 M", "60 FT", 0.4f},
    {30, "30 M", "90 FT", 0.6f},
    {40, "40 M", "120 FT", 0.8f},
    {50, "50 M", "150 FT", 1.0f},
    {60, "60 M", "180 FT", 1.2f},
    {80, "80 M", "240 FT", 1.6f},
    {100, "100 M", "300 FT", 2.0f},
    {150, "150 M", "450 FT", 3.0f},
    {200, "200 M", "600 FT", 4.0f},
}};

// Index of a range in metres, or -1 when the table has no such range.
constexpr int32_t RangeIndexForMeters(int32_t meters) {
    for (int32_t i = 0; i < RangeCount; ++i)
        if (RangeTable[i].meters == meters) return i;
    return -1;
}

inline constexpr int32_t GridLabelCount = 17;
using GridLabelTable = std::array<std::string_view, GridLabelCount>;

inline constexpr GridLabelTable GridLabelsMetresA{
    " 0.2 M/DIV", " 0.4 M/DIV", " 0.6 M/DIV", " 0.8 M/DIV", " 1 M/DIV", " 2 M/DIV",
    " 4 M/DIV",   " 6 M/DIV",   " 8 M/DIV",   "10 M/DIV",   "12 M/DIV", "16 M/DIV",
    "20 M/DIV",   "30 M/DIV",   "40 M/DIV",   "50 M/DIV",   "60 M/DIV"};
inline constexpr GridLabelTable GridLabelsMetresB{
    " 0.4 M/DIV", " 0.8 M/DIV", " 1.2 M/DIV", " 1.6 M/DIV", " 2 M/DIV",  " 4 M/DIV",
    " 8 M/DIV",   "12 M/DIV",   "16 M/DIV",   "20 M/DIV",   "24 M/DIV",  "32 M/DIV",
    "40 M/DIV",   "60 M/DIV",   "80 M/DIV",   "100 M/DIV",  "120 M/DIV"};
inline constexpr GridLabelTable GridLabelsFeetA{
    "0.6 FT/DIV", "1.2 FT/DIV", "1.8 FT/DIV", "2.4 FT/DIV", "3 FT/DIV",   "6 FT/DIV",
    "12 FT/DIV",  "18 FT/DIV",  "24 FT/DIV",  "30 FT/DIV",  "36 FT/DIV",  "48 FT/DIV",
    "60 FT/DIV",  "90 FT/DIV",  "120 FT/DIV", "150 FT/DIV", "300 FT/DIV"};
inline constexpr GridLabelTable GridLabelsFeetB{
    "1.2 FT/DIV", "2.4 FT/DIV", "3.6 FT/DIV", "4.8 FT/DIV", "6 FT/DIV",   "12 FT/DIV",
    "24 FT/DIV",  "36 FT/DIV",  "48 FT/DIV",  "60 FT/DIV",  "72 FT/DIV",  "96 FT/DIV",
    "120 FT/DIV", "180 FT/DIV", "240 FT/DIV", "300 FT/DIV", "360 FT/DIV"};

inline constexpr std::array<std::string_view, 12> MonthNames{
    "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
inline constexpr std::array<std::string_view, 6> BaudNames{"9600",  "14400", "19200",
                                                           "38400", "57600", "115200"};
inline constexpr std::array<int32_t, 6> GpsBaudRates{4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr std::array<std::string_view, 4> GainStepLabels{"10 dB", "20 dB", "30 dB",
                                                                "40 dB"};
inline constexpr std::array<std::string_view, 4> ProfileLabels{"Off", "Points", "Lo-Mix",
                                                               "Hi-Mix"};
inline constexpr std::array<std::string_view, 4> DisplayModeLabels{"Sector", "Polar", "SS",
                                                                   "Profile"};
inline constexpr std::array<std::string_view, 5> ProfileModeMenuTexts{
    "&Off", "&Points Only", "&Low Mix", "&Med Mix", "&High Mix"};
inline constexpr std::array<std::string_view, 5> SpeedLabels{"Slow", "Med", "Fast", "Faster",
                                                             "Fastest"};
inline constexpr std::array<std::string_view, 3> SideScanChannelLabels{"Port", "Both", "Stbd"};
inline constexpr std::array<std::string_view, 2> XdcrMenuTexts{"&Down", "&Up"};
inline constexpr std::string_view WindowTitle = "Tarvisk Digital Sonar";
inline constexpr std::string_view NotAvailableText = "N / A";

// 16-bit data is shown as "14 Bits": the head's converter has 14 significant bits.
constexpr std::string_view DataBitsLabel(int32_t bits) {
    return bits == 4 ? "4 Bits" : bits == 16 ? "14 Bits" : "8 Bits";
}

inline constexpr double FeetPerMetre = 3.280839895;
inline constexpr double MetresPerFoot = 0.3048;
inline constexpr float Pi = 3.141592654f;

}  // namespace tarvisk
