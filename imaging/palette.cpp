#include "imaging/palette.h"

namespace tarvisk {

Palette::Palette() : colours_(BuildColourTable(0)) {}

int32_t Palette::ApplyColourTable(int32_t choice) {
    ColourTable table = BuildColourTable(choice);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int i = 0; i < ChangingEntries; ++i)
            colours_[i] = table[i];
    }
    version_ = version_ + 1;
    return 1;
}

ColourTable Palette::Colours() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return colours_;
}

Rgb Palette::Colour(uint8_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return colours_[index];
}

const std::array<uint8_t, ColourBarRows>& ColourBarIndexes() {
    static const std::array<uint8_t, ColourBarRows> rows = [] {
        std::array<uint8_t, ColourBarRows> r{};
        float v = 111.0f;
        for (int i = 0; i < ColourBarRows; ++i) {
            r[i] = uint8_t(v < 0.0f ? 0 : int(v));
            v -= 0.218504f;
        }
        return r;
    }();
    return rows;
}

}  // namespace tarvisk
