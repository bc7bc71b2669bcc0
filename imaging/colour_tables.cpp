#include "imaging/colour_tables.h"

#include <algorithm>
#include <cmath>

namespace tarvisk {
namespace {

constexpr double PiConstant = 3.141592654;

ColourTable MakeBaseTable() {
    ColourTable t{};
    auto set = [&t](int i, int r, int g, int b) { t[i] = Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}; };
    set(0, 0, 0, 0);
    set(1, 0, 0, 1);
    set(2, 0, 0, 3);
    for (int i = 3; i <= 18; ++i)
        set(i, 0, 0, 5 * (i - 2));
    for (int i = 19; i <= 35; ++i)
        set(i, 0, 20 + 5 * (i - 19), 80 - 5 * (i - 19));
    for (int i = 36; i <= 39; ++i)
        set(i, 0, 105 + 5 * (i - 36), 0);
    set(40, 5, 125, 0);
    set(41, 10, 130, 0);
    set(42, 20, 135, 0);
    for (int i = 43; i <= 48; ++i)
        set(i, 20, 140 + 5 * (i - 43), 0);
    set(49, 40, 170, 0);
    set(50, 60, 175, 0);
    set(51, 70, 180, 0);
    set(52, 80, 185, 0);
    constexpr int reds53[] = {90, 100, 110, 120, 130, 140, 150, 155};
    constexpr int greens53[] = {175, 165, 155, 145, 135, 125, 110, 105};
    for (int i = 53; i <= 60; ++i)
        set(i, reds53[i - 53], greens53[i - 53], 0);
    for (int i = 61; i <= 69; ++i)
        set(i, 160 + 5 * (i - 61), 100, 0);
    set(70, 205, 105, 0);
    set(71, 210, 110, 0);
    set(72, 215, 115, 0);
    constexpr int reds73[] = {210, 200, 190, 180, 170, 160, 150};
    for (int i = 73; i <= 79; ++i)
        set(i, reds73[i - 73], 120 + 5 * (i - 73), 0);
    for (int i = 80; i <= 88; ++i)
        set(i, 155 + 5 * (i - 80), 155 + 5 * (i - 80), 0);
    for (int i = 89; i <= 98; ++i)
        set(i, 200 + 5 * (i - 89), 200 + 5 * (i - 89), 50 + 10 * (i - 89));
    for (int i = 99; i <= 106; ++i) {
        int g = 180 + 5 * (i - 99);
        set(i, g, g, g);
    }
    for (int i = 107; i <= 118; ++i)
        set(i, 160, 0, 0);
    set(119, 0, 100, 0);
    set(120, 80, 100, 0);
    set(121, 40, 40, 40);
    set(122, 80, 80, 80);
    set(123, 120, 120, 120);
    set(124, 0, 0, 90);
    set(125, 0, 0, 0);
    set(126, 100, 0, 0);
    set(127, 148, 0, 0);
    for (int i = 128; i <= 255; ++i)
        set(i, 150, 0, 0);
    return t;
}

uint8_t Limit(double v) {
    // Truncation toward zero, then the 0..255 limit.
    double t = std::trunc(v);
    return uint8_t(std::clamp(t, 0.0, 255.0));
}

Rgb Scale(const Rgb& c, double f) {
    return Rgb{Limit(c.r * f), Limit(c.g * f), Limit(c.b * f)};
}

}  // namespace

const ColourTable& BaseColourTable() {
    static const ColourTable table = MakeBaseTable();
    return table;
}

ColourTable BuildColourTable(int32_t choice) {
    const ColourTable& base = BaseColourTable();
    if (choice < 0 || choice >= ColourTableChoices)
        choice = 0;
    ColourTable t{};
    for (int i = 0; i < ChangingEntries; ++i) {
        // The curved tables were computed in extended precision with the double nearest
        // 1.2, which lies just below it: a product that would be whole truncates to one
        // less (an inner 180 gives 215, not 216). long double keeps that on x86-64.
        const long double theta = (long double)i * 0.5 * PiConstant / 118.0;
        const long double factor = 1.2;
        int sinPart = int(std::trunc(std::trunc(255.0L * std::sin(theta)) * factor));
        int cosPart = int(std::trunc(std::trunc(255.0L - 255.0L * std::cos(theta)) * factor));
        uint8_t s = Limit(sinPart);
        uint8_t c = Limit(cosPart);
        switch (choice) {
            case 0:
                t[i] = Scale(base[i], 1.5);
                break;
            case 1:
                t[i] = Scale(base[i], 1.0);
                break;
            case 2:
                t[i] = Rgb{0, Limit(i * 2.5), 0};
                break;
            case 3: {
                uint8_t g = Limit(i * 2.5);
                t[i] = Rgb{g, g, g};
                break;
            }
            case 4: {
                // (118 - i) x 1.8 in exact arithmetic: 18/10 in integers.
                uint8_t g = Limit((118 - i) * 18 / 10);
                t[i] = Rgb{g, g, g};
                break;
            }
            case 5:
                t[i] = Rgb{s, c, 0};
                break;
            case 6:
                t[i] = Rgb{0, s, c};
                break;
            case 7:
                t[i] = Rgb{c, s, 0};
                break;
            default:
                t[i] = Rgb{0, c, s};
                break;
        }
    }
    // Single-precision factors, multiplied in double: 100 x 1.79999995 gives 179.
    const double overlayFactor = double(1.8f);
    const double gridFactor = double(0.85f);
    for (int i = ChangingEntries; i < 128; ++i)
        t[i] = Scale(base[i], overlayFactor);
    for (int i = 128; i < 256; ++i)
        t[i] = Scale(base[i], gridFactor);
    return t;
}

}  // namespace tarvisk
