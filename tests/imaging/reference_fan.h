#pragma once
// A plain model of the fan, written from the drawing rules and sharing no code with the
// drawing; the fan and pipeline tests compare whole images against it.

#include <array>
#include <cmath>
#include <vector>

#include "imaging/fan.h"

namespace tarvisk::testing {

using Triple = std::array<int, 3>;

// The weight lists as written down for the operator's manual, ray by ray.
inline const std::vector<Triple> Seven{{65, 100, 35}, {60, 100, 40}, {55, 100, 45}, {50, 100, 50},
                                       {45, 100, 55}, {40, 100, 60}, {35, 100, 65}};
inline const std::vector<Triple> Eleven{{75, 100, 25}, {70, 100, 30}, {65, 100, 35}, {60, 100, 40},
                                        {55, 100, 45}, {50, 100, 50}, {45, 100, 55}, {40, 100, 60},
                                        {35, 100, 65}, {30, 100, 70}, {25, 100, 75}};
inline const std::vector<Triple> TwentyOne{
    {100, 100, 0}, {100, 100, 0}, {100, 100, 0}, {90, 110, 0},  {80, 120, 0},  {70, 130, 0},
    {60, 140, 0},  {50, 150, 0},  {40, 160, 0},  {30, 160, 10}, {20, 160, 20}, {10, 160, 30},
    {0, 160, 40},  {0, 150, 50},  {0, 140, 60},  {0, 130, 70},  {0, 120, 80},  {0, 110, 90},
    {0, 100, 100}, {0, 100, 100}, {0, 100, 100}};
inline std::vector<Triple> FortyOne() {
    std::vector<Triple> t(5, Triple{100, 100, 0});
    const Triple middle[] = {
        {95, 105, 0}, {90, 110, 0},  {85, 115, 0},  {80, 120, 0},  {75, 125, 0},  {70, 130, 0},
        {65, 135, 0}, {60, 140, 0},  {55, 145, 0},  {50, 150, 0},  {45, 155, 0},  {40, 160, 0},
        {35, 160, 5}, {30, 160, 10}, {25, 160, 15}, {20, 160, 20}, {15, 160, 25}, {10, 160, 30},
        {5, 160, 35}, {0, 160, 40},  {0, 155, 45},  {0, 150, 50},  {0, 145, 55},  {0, 140, 60},
        {0, 135, 65}, {0, 130, 70},  {0, 125, 75},  {0, 120, 80},  {0, 115, 85},  {0, 110, 90},
        {0, 105, 95}};
    t.insert(t.end(), std::begin(middle), std::end(middle));
    t.insert(t.end(), 5, Triple{0, 100, 100});
    return t;
}

// A plain model of the fan written from the drawing rules, sharing no code with the drawing:
// the ray count is the closed form min(rays, rays/4 + i/2) and the value uses the 0.005
// factor in double.
inline void ReferenceFan(const FanParams& p, const EchoHistory& h, int n, SonarImage& image) {
    const int speed = p.speed;
    const int steps[] = {1, 2, 3, 4, 8};
    const float step = p.stepping ? float(steps[speed] * 3.141592654 / 600.0) : 0.0f;
    const bool wide = speed == 4;
    const int tableSize = wide && !p.polar ? 41 : 21;
    const float half = wide ? 0.02094395f : 0.010471975f;
    float spacing = !wide ? 0.000997331f : p.polar ? 0.001994662f : 0.001021656f;
    std::vector<std::pair<float, float>> table;
    float a = p.drawDirection ? p.bearing - half - step : p.bearing + half + step;
    if (!p.drawDirection)
        spacing = -spacing;
    for (int e = 0; e < tableSize; ++e, a += spacing) {
        float c = -float(std::cos(double(a)));
        table.push_back({float(std::sin(double(a))), p.hanging ? -c : c});
    }
    int rays, first;
    std::vector<Triple> weights;
    switch (speed) {
        case 0:
            rays = 7, first = 7, weights = Seven;
            break;
        case 1:
            rays = 11, first = 5, weights = Eleven;
            break;
        case 2:
            rays = 17, first = 2;
            weights.assign(TwentyOne.begin() + 2, TwentyOne.begin() + 19);
            break;
        case 3:
            rays = 21, first = 0, weights = TwentyOne;
            break;
        default:
            first = 0;
            rays = p.polar ? 21 : 41;
            weights = p.polar ? TwentyOne : FortyOne();
    }
    const float oy = p.polar ? 253.0f : p.hanging ? 1.0f : 505.0f;
    for (int i = 0; i < n; ++i) {
        const int used = std::min(rays, rays / 4 + i / 2);
        const float r = float(i);
        for (int j = 0; j < used; ++j) {
            const int x = int(298.0f + r * table[size_t(first + j)].first);
            const int y = int(oy + r * table[size_t(first + j)].second);
            if (x < 0 || x > 595 || y < 0 || y > 505)
                continue;
            const Triple& w = weights[size_t(j)];
            int v = int((h.OldestLine[size_t(i)] * w[0] + h.MiddleLine[size_t(i)] * w[1] +
                         h.NewestLine[size_t(i)] * w[2]) *
                        0.005);
            if (v > 107)
                v = 107;
            uint8_t& px = image.At(x, y);
            if (p.grid && px >= 128)
                v = std::min(v + 128, 245);
            px = uint8_t(v);
        }
    }
}

}  // namespace tarvisk::testing
