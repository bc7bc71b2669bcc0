#pragma once
// The GPS values the program keeps: the position text shown, recorded and exported, and the
// GGA time, fix quality, satellites, HDOP, altitude and third value. The GPS thread writes
// them; the recorder, the mode switch and the display copy or clear them while holding the
// busy lock, so a copy never sees a half-parsed sentence.

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "settings/shared_value.h"

namespace tarvisk {

inline constexpr size_t GpsPositionTextSize = 24;

struct GpsFields {
    // 0 blank, 1-2 latitude degrees, 3 ".", 4-5 minutes, 6 ".", 7-9 decimals, 10 blank,
    // 11 N/S, 12-14 longitude degrees, 15 ".", 16-17 minutes, 18 ".", 19-21 decimals,
    // 22 blank, 23 E/W; a NUL after it.
    std::array<char, GpsPositionTextSize + 1> PositionText = BlankPosition();
    std::array<char, 12> UtcTimeText{};  // "hh:mm:ss.cc" and a NUL (GGA only)
    int32_t FixQuality = 0;
    int32_t Satellites = 0;
    float Hdop = 0.0f;
    float Altitude = 0.0f;
    float ThirdValue = 0.0f;

    // False until a sentence has placed something: records and exports then carry an empty
    // position, which their readers take as "no fix yet".
    bool HasPosition() const { return PositionText != BlankPosition(); }

    static constexpr std::array<char, GpsPositionTextSize + 1> BlankPosition() {
        std::array<char, GpsPositionTextSize + 1> t{};
        for (size_t i = 0; i < GpsPositionTextSize; ++i)
            t[i] = ' ';
        return t;
    }
};

struct GpsState {
    std::mutex Busy;  // held by whoever reads or writes Fields
    GpsFields Fields;
    SharedInt Age{10};  // seconds since the last parsed sentence
    SharedInt Blink{0};

    GpsFields Copy() {
        std::lock_guard lock(Busy);
        return Fields;
    }
    // The mode switch starts the next source with no position.
    void Clear() {
        std::lock_guard lock(Busy);
        Fields = GpsFields{};
    }
};

}  // namespace tarvisk
