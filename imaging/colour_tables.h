#pragma once
// The echo colour tables. Echo levels 0..107 are palette indexes; 119..127 are fixed overlay
// colours and 128..255 all show the grid colour, whatever table the operator picks.

#include <array>
#include <cstdint>

namespace tarvisk {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

using ColourTable = std::array<Rgb, 256>;

inline constexpr int32_t ColourTableChoices = 9;
inline constexpr int32_t EchoLevelMax = 107;
inline constexpr int32_t ChangingEntries = 119;  // 0..118 follow the chosen table

// Named palette entries of the overlays.
inline constexpr uint8_t PaletteOverlayGreen = 119;
inline constexpr uint8_t PaletteOverlayYellowGreen = 120;
inline constexpr uint8_t PaletteBackground = 121;
inline constexpr uint8_t PaletteGrey = 122;
inline constexpr uint8_t PaletteLightGrey = 123;
inline constexpr uint8_t PaletteBlue = 124;
inline constexpr uint8_t PaletteBlack = 125;
inline constexpr uint8_t PaletteRed = 126;
inline constexpr uint8_t PaletteBrightRed = 127;
inline constexpr uint8_t PaletteGridFirst = 128;

// The unscaled base table (all 256 entries).
const ColourTable& BaseColourTable();

// Entries 0..118 for a table choice (0..8; anything else is treated as 0) and the fixed
// entries 119..255.
ColourTable BuildColourTable(int32_t choice);

// Menu texts of the nine choices, index = Colors.
inline constexpr std::array<const char*, ColourTableChoices> ColourTableMenuTexts{
    "Norm &Hi",      "Norm &Lo",    "Gr&een",        "&Grey", "&Rev Grey",
    "&Brown/Yellow", "Green/Bl&ue", "Green/&Yellow", "Blu&e"};

}  // namespace tarvisk
